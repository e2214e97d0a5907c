// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

'use strict';
// Checks the generated map like a geographer would: every zone of the
// system's zone1970.tab whose standard offset has a band must lie in that
// band, and a few well-known places must lie in exactly the right one.
// Projection comes from the manifest alone, as the module's tests use it.
//
// Usage: node check.js [content directory] [zone1970.tab]
// Exits 1 when a picture is malformed, a landmark is wrong, or a zone misses
// its band without a known reason.

const fs = require('fs');
const path = require('path');
const { PNG } = require('pngjs');
const { standardOffset, offsetLabel } = require('./zones');
const { encodeMask, readHitMask } = require('./hitmask');

const contentDir = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', 'content'));
const tabFile = process.argv[3] || '/usr/share/zoneinfo/zone1970.tab';
const TOLERANCE = 2; // px, in both directions

// Zones whose marked city sits where the map cannot show its band, with why.
const KNOWN_EXCEPTIONS = {};

let failures = 0;
function fail(message) {
    console.log('FAIL ' + message);
    ++failures;
}

const manifest = JSON.parse(fs.readFileSync(path.join(contentDir, 'manifest.json'), 'utf8'));
const { width, height } = manifest;
const P = manifest.projection;
const M = (lat) => 1.25 * Math.log(Math.tan(Math.PI / 4 + (0.4 * lat * Math.PI) / 180));
function toPixel(lon, lat) {
    const x = ((lon + 180) / 360) * width;
    const y = ((M(P.topLatitude) - M(lat)) / (M(P.topLatitude) - M(P.bottomLatitude))) * height;
    return [Math.floor(x), Math.floor(y)];
}

function readPicture(file) {
    const buf = fs.readFileSync(path.join(contentDir, file));
    const png = PNG.sync.read(buf);
    if (png.width !== width || png.height !== height) {
        fail(`${file} is ${png.width} x ${png.height}, expected ${width} x ${height}`);
    }
    // Byte 25 of a PNG is the colour type of its IHDR chunk; 6 is RGBA.
    if (buf[25] !== 6) {
        fail(`${file} has PNG colour type ${buf[25]}, expected 6 (RGBA)`);
    }
    const mask = readHitMask(buf);
    if (!mask) {
        fail(`${file} has no hit mask chunk`);
    } else if (!mask.equals(encodeMask(png.data, png.width, png.height))) {
        fail(`${file}: its hit mask differs from its pixels of alpha >= 128`);
    }
    return png;
}

readPicture(manifest.baseMap);
const bands = manifest.bands.map((b) => ({ ...b, png: readPicture(b.file) }));
const byOffset = new Map(bands.map((b) => [b.offset, b]));

function hitsAt(x, y) {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return [];
    }
    return bands.filter((b) => b.png.data[4 * (y * width + x) + 3] >= 128);
}

function bandNear(band, x, y) {
    for (let dy = -TOLERANCE; dy <= TOLERANCE; ++dy) {
        for (let dx = -TOLERANCE; dx <= TOLERANCE; ++dx) {
            const xx = (x + dx + width) % width; // the map wraps at the date line
            const yy = y + dy;
            if (yy >= 0 && yy < height && band.png.data[4 * (yy * width + xx) + 3] >= 128) {
                return true;
            }
        }
    }
    return false;
}

// zone1970.tab coordinates: +-DDMM+-DDDMM or +-DDMMSS+-DDDMMSS.
function parseCoordinates(text) {
    const m = /^([+-])(\d{2})(\d{2})(\d{2})?([+-])(\d{3})(\d{2})(\d{2})?$/.exec(text);
    if (!m) {
        throw new Error('bad coordinates ' + text);
    }
    const part = (sign, d, mi, s) => (sign === '-' ? -1 : 1) * (Number(d) + Number(mi) / 60 + Number(s || 0) / 3600);
    return [part(m[5], m[6], m[7], m[8]), part(m[1], m[2], m[3], m[4])];
}

let checked = 0;
let outside = 0;
let noBand = 0;
const exceptions = [];
for (const line of fs.readFileSync(tabFile, 'utf8').split('\n')) {
    if (!line || line.startsWith('#')) {
        continue;
    }
    const [, coordinates, zone] = line.split('\t');
    const [lon, lat] = parseCoordinates(coordinates);
    let offset;
    try {
        offset = standardOffset(zone);
    } catch (e) {
        fail(`${zone}: ${e.message}`);
        continue;
    }
    const band = byOffset.get(offset);
    if (!band) {
        ++noBand;
        continue;
    }
    if (lat > P.topLatitude || lat < P.bottomLatitude) {
        ++outside;
        continue;
    }
    ++checked;
    const [x, y] = toPixel(lon, lat);
    if (!bandNear(band, x, y)) {
        const found = hitsAt(x, y).map((b) => b.label);
        const why = KNOWN_EXCEPTIONS[zone];
        exceptions.push(
            `${zone} (${lon.toFixed(2)}, ${lat.toFixed(2)}) at pixel (${x}, ${y}) expected ${offsetLabel(offset)}, ` +
                `found ${found.join(' ') || 'no band'}${why ? ' — known: ' + why : ''}`,
        );
        if (!why) {
            ++failures;
        }
    }
}
console.log(
    `${checked} zones checked against their band; ${noBand} have an offset without a band; ` +
        `${outside} lie beyond the map's latitudes`,
);
for (const e of exceptions) {
    console.log('  exception: ' + e);
}

// Landmarks, checked at the exact pixel.
const landmarks = [
    { name: 'Moscow', lon: 37.6173, lat: 55.7558, expect: ['+03:00'] },
    { name: 'New York', lon: -74.006, lat: 40.7128, expect: ['-05:00'] },
    { name: 'Mumbai', lon: 72.8777, lat: 19.076, expect: ['+05:30'] },
    { name: 'Kathmandu', lon: 85.324, lat: 27.7172, expect: [] },
    { name: 'Adelaide', lon: 138.6007, lat: -34.9285, expect: ['+09:30'] },
    { name: 'Tehran', lon: 51.389, lat: 35.6892, expect: ['+03:30'] },
    { name: 'Mid-Atlantic', lon: -30, lat: 30, expect: ['-02:00'] },
];
for (const l of landmarks) {
    const [x, y] = toPixel(l.lon, l.lat);
    const found = hitsAt(x, y).map((b) => b.label);
    const ok = found.length === l.expect.length && found.every((f, i) => f === l.expect[i]);
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${l.name} at pixel (${x}, ${y}): ${found.join(' ') || 'no band'}`);
    if (!ok) {
        ++failures;
    }
}

// Coverage: the whole map is in some band but for the few places whose offset
// has none, and every band can be clicked somewhere.
let inNone = 0;
for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
        if (hitsAt(x, y).length === 0) {
            ++inNone;
        }
    }
}
console.log(`${inNone} pixels lie in no band`);
if (inNone > 3000) {
    fail('too much of the map lies in no band');
}
for (const b of bands) {
    let clickable = 0;
    for (let p = 0; p < width * height; ++p) {
        clickable += b.png.data[4 * p + 3] >= 128 ? 1 : 0;
    }
    if (clickable < 100) {
        fail(`band ${b.label} has only ${clickable} clickable pixels`);
    }
}

// The strip around the date line is one band on both edges of the picture,
// and a click on a border between two bands may pick either of them.
const equator = toPixel(0, 0)[1];
for (const x of [0, width - 1]) {
    const found = hitsAt(x, equator).map((b) => b.label);
    if (!found.includes('+12:00')) {
        fail(`date line at pixel (${x}, ${equator}) is in ${found.join(' ') || 'no band'}, expected +12:00`);
    }
}
{
    const [x, y] = toPixel(7.5, -30); // nautical border of UTC and UTC+1, open sea
    const found = hitsAt(x, y).map((b) => b.label);
    if (found.join(' ') !== '+00:00 +01:00') {
        fail(`border at pixel (${x}, ${y}) is in ${found.join(' ') || 'no band'}, expected +00:00 and +01:00`);
    }
}

console.log(failures ? `${failures} problem(s) found` : 'map looks right');
process.exit(failures ? 1 : 0);
