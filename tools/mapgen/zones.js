// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

'use strict';
// The bands of the map and the rule that puts a time zone into one of them.

// UTC offsets in seconds that have a band, with the picture's file name.
// +12:45 is Chatham's standard time. The module keys and matches bands by this same
// standard offset, so a zone lights the band it is drawn in all year.
const BANDS = [
    -39600, -36000, -34200, -32400, -28800, -25200, -21600, -18000, -14400, -10800, -7200, -3600, 0, 3600,
    7200, 10800, 12600, 14400, 16200, 18000, 19800, 21600, 23400, 25200, 28800, 32400, 34200, 36000, 37800,
    39600, 43200, 45900,
].map((offset) => ({ offset, label: offsetLabel(offset), file: offsetLabel(offset).replace(':', '_') + '.png' }));

function offsetLabel(offset) {
    const a = Math.abs(offset);
    const hh = String(Math.floor(a / 3600)).padStart(2, '0');
    const mm = String(Math.floor((a % 3600) / 60)).padStart(2, '0');
    return (offset < 0 ? '-' : '+') + hh + ':' + mm;
}

// Offsets are taken in a fixed year so that regenerating gives the same pictures
// until the rules of a zone really change.
const REFERENCE_YEAR = 2025;

const formatters = new Map();

function offsetAt(zone, date) {
    let f = formatters.get(zone);
    if (!f) {
        f = new Intl.DateTimeFormat('en-US', { timeZone: zone, timeZoneName: 'longOffset' });
        formatters.set(zone, f);
    }
    const text = f.formatToParts(date).find((p) => p.type === 'timeZoneName').value;
    const m = /^GMT(?:([+-])(\d\d):(\d\d))?$/.exec(text);
    if (!m) {
        throw new Error(`unexpected offset text ${text} for ${zone}`);
    }
    if (!m[1]) {
        return 0;
    }
    const s = Number(m[2]) * 3600 + Number(m[3]) * 60;
    return m[1] === '-' ? -s : s;
}

// Standard (non-daylight) offset: the smaller of mid-January and mid-July, which
// also holds for the southern hemisphere and for negative daylight saving time.
function standardOffset(zone, year = REFERENCE_YEAR) {
    const jan = offsetAt(zone, new Date(Date.UTC(year, 0, 15, 12)));
    const jul = offsetAt(zone, new Date(Date.UTC(year, 6, 15, 12)));
    return Math.min(jan, jul);
}

const bandByOffset = new Map(BANDS.map((b, i) => [b.offset, i]));

// Band index of a zone id, or -1 when its standard offset has no band.
// The nautical zone west of the date line (Etc/GMT+12, UTC-12) has no band of
// its own; its strip of open sea joins the +12:00 band, whose islands (Fiji's
// eastern group, Wallis and Futuna) lie in it, so the map has no blank strip.
function bandOfZone(zone) {
    if (zone === 'Etc/GMT+12') {
        return bandByOffset.get(43200);
    }
    const i = bandByOffset.get(standardOffset(zone));
    return i === undefined ? -1 : i;
}

module.exports = { BANDS, REFERENCE_YEAR, offsetLabel, standardOffset, bandOfZone, bandByOffset };
