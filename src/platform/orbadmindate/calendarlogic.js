// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

.pragma library

// Calendar arithmetic on plain days ({year, month, day}, month counted from 0 as
// in script dates). Days are built at noon so that a daylight-saving jump at
// midnight never moves a computed day onto its neighbour.

// The system clock is set through a helper that takes unsigned 32-bit seconds
// since the epoch, so only the days from 1970-01-01 to 2106-02-07 can be offered.
var minimum = { year: 1970, month: 0, day: 1 };
var maximum = { year: 2106, month: 1, day: 7 };

function makeDay(year, month, day) {
    return { year: year, month: month, day: day };
}

function isValidDate(date) {
    return date !== null && date !== undefined && typeof date.getTime === "function" && !isNaN(date.getTime());
}

function fromDate(date) {
    return makeDay(date.getFullYear(), date.getMonth(), date.getDate());
}

function toDate(d) {
    return new Date(d.year, d.month, d.day, 12, 0, 0, 0);
}

// Normalises overflowing months and days the way script dates do (day 0 is the
// last day of the month before, month 12 the January after).
function normalized(year, month, day) {
    return fromDate(new Date(year, month, day, 12, 0, 0, 0));
}

function compare(a, b) {
    if (a.year !== b.year) {
        return a.year < b.year ? -1 : 1;
    }
    if (a.month !== b.month) {
        return a.month < b.month ? -1 : 1;
    }
    if (a.day !== b.day) {
        return a.day < b.day ? -1 : 1;
    }
    return 0;
}

function sameDay(a, b) {
    return compare(a, b) === 0;
}

function inRange(d) {
    return compare(d, minimum) >= 0 && compare(d, maximum) <= 0;
}

function clamped(d) {
    if (compare(d, minimum) < 0) {
        return makeDay(minimum.year, minimum.month, minimum.day);
    }
    if (compare(d, maximum) > 0) {
        return makeDay(maximum.year, maximum.month, maximum.day);
    }
    return makeDay(d.year, d.month, d.day);
}

function monthIndex(year, month) {
    return year * 12 + month;
}

function monthInRange(year, month) {
    var index = monthIndex(year, month);
    return index >= monthIndex(minimum.year, minimum.month) && index <= monthIndex(maximum.year, maximum.month);
}

function yearInRange(year) {
    return year >= minimum.year && year <= maximum.year;
}

function daysInMonth(year, month) {
    return new Date(year, month + 1, 0, 12, 0, 0, 0).getDate();
}

// Number of days shown before the 1st in a grid whose weeks start on Monday.
function leadingDays(year, month) {
    return (new Date(year, month, 1, 12, 0, 0, 0).getDay() + 6) % 7;
}

// The 42 days of the six weeks that show a month, from the Monday on or before its first.
function monthGrid(year, month) {
    var first = 1 - leadingDays(year, month);
    var days = [];
    for (var index = 0; index < 42; ++index) {
        days.push(normalized(year, month, first + index));
    }
    return days;
}

function addDays(d, count) {
    return clamped(normalized(d.year, d.month, d.day + count));
}

// Keeps the day of the month where the target month has it, else takes that
// month's last day: 31 January plus one month is the end of February, not March.
function addMonths(d, count) {
    var index = monthIndex(d.year, d.month) + count;
    var year = Math.floor(index / 12);
    var month = index - year * 12;
    return clamped(makeDay(year, month, Math.min(d.day, daysInMonth(year, month))));
}

function pad(number) {
    return (number < 10 ? "0" : "") + number;
}

// Local noon of the day, in a form the script Date constructor reads as local
// time (a date-only ISO string would be read as UTC). Not midnight: where a
// daylight-saving change skips it, midnight would be read as the day before.
function isoString(d) {
    return d.year + "-" + pad(d.month + 1) + "-" + pad(d.day) + "T12:00:00";
}

// First year of the block of twelve years (counted from the minimum) holding `year`.
function yearBlockStart(year) {
    return year - ((year - minimum.year) % 12 + 12) % 12;
}
