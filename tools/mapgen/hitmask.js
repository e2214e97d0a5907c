// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

'use strict';
// The hit mask: which pixels of a picture can be clicked (alpha >= 128), stored
// in the picture itself as a private PNG chunk "hiTM", so that the module gets a
// band's clickable area without inflating and scanning 7 MB of RGBA per band.
//
// Chunk data, all integers big-endian:
//   u8   version (1)
//   u32  width, u32 height (equal to the picture's)
//   per row, top to bottom: run lengths as unsigned LEB128 numbers, alternating
//   "not clickable" and "clickable", starting with "not clickable" (which may
//   be 0); the runs of a row add up to the width exactly.
// The chunk goes right after IHDR. Its name marks it ancillary, private and
// unsafe to copy: an editor that changes the pixels drops it instead of keeping
// a stale mask, and the module then falls back to decoding the picture.
//
// Usage: node hitmask.js [content directory]   re-stamps every *.png there.

const fs = require('fs');
const path = require('path');

const CHUNK = 'hiTM';
const VERSION = 1;
const THRESHOLD = 128;
const SIGNATURE = Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]);

const CRC_TABLE = (() => {
    const table = new Int32Array(256);
    for (let n = 0; n < 256; ++n) {
        let c = n;
        for (let k = 0; k < 8; ++k) {
            c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        }
        table[n] = c;
    }
    return table;
})();

function crc32(buffers) {
    let c = -1;
    for (const b of buffers) {
        for (let i = 0; i < b.length; ++i) {
            c = CRC_TABLE[(c ^ b[i]) & 0xff] ^ (c >>> 8);
        }
    }
    return (c ^ -1) >>> 0;
}

// The mask data of an RGBA picture (4 bytes per pixel, rows without padding).
function encodeMask(rgba, width, height) {
    const out = [VERSION];
    const u32 = (v) => out.push((v >>> 24) & 255, (v >>> 16) & 255, (v >>> 8) & 255, v & 255);
    const varint = (v) => {
        while (v >= 128) {
            out.push((v & 127) | 128);
            v >>>= 7;
        }
        out.push(v);
    };
    u32(width);
    u32(height);
    for (let y = 0; y < height; ++y) {
        let clickable = false;
        let run = 0;
        for (let x = 0; x < width; ++x) {
            const hit = rgba[4 * (y * width + x) + 3] >= THRESHOLD;
            if (hit !== clickable) {
                varint(run);
                run = 0;
                clickable = hit;
            }
            ++run;
        }
        varint(run);
    }
    return Buffer.from(out);
}

function chunks(png) {
    if (png.length < 8 || !png.subarray(0, 8).equals(SIGNATURE)) {
        throw new Error('not a PNG file');
    }
    const list = [];
    let pos = 8;
    while (pos + 12 <= png.length) {
        const length = png.readUInt32BE(pos);
        const type = png.toString('latin1', pos + 4, pos + 8);
        const end = pos + 12 + length;
        if (end > png.length) {
            throw new Error('truncated chunk ' + type);
        }
        list.push({ type, bytes: png.subarray(pos, end) });
        pos = end;
        if (type === 'IEND') {
            break;
        }
    }
    if (!list.length || list[0].type !== 'IHDR') {
        throw new Error('PNG without IHDR');
    }
    return list;
}

// The PNG file `png` with its hit mask chunk (re)placed right after IHDR; the
// pixel data stay byte for byte as they were.
function withHitMask(png, rgba, width, height) {
    const data = encodeMask(rgba, width, height);
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(CHUNK, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32([head.subarray(4), data]), 0);
    const mask = Buffer.concat([head, data, crc]);

    const list = chunks(png).filter((c) => c.type !== CHUNK);
    return Buffer.concat([SIGNATURE, list[0].bytes, mask, ...list.slice(1).map((c) => c.bytes)]);
}

// The mask data stored in a PNG file, or null.
function readHitMask(png) {
    const chunk = chunks(png).find((c) => c.type === CHUNK);
    return chunk ? chunk.bytes.subarray(8, chunk.bytes.length - 4) : null;
}

module.exports = { CHUNK, encodeMask, withHitMask, readHitMask };

if (require.main === module) {
    const { PNG } = require('pngjs');
    const dir = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', 'content'));
    for (const file of fs.readdirSync(dir).filter((f) => f.endsWith('.png'))) {
        const full = path.join(dir, file);
        const buf = fs.readFileSync(full);
        const png = PNG.sync.read(buf);
        fs.writeFileSync(full, withHitMask(buf, png.data, png.width, png.height));
    }
    console.log('hit masks written to ' + dir);
}
