// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

'use strict';
// Draws the base map (content/all.png), one picture per UTC offset band and
// content/manifest.json from public data: zone borders from geo-tz
// (timezone-boundary-builder) and land from world-atlas (Natural Earth).
//
// Usage: node generate.js [output directory]   (default: ../../content)

const fs = require('fs');
const path = require('path');
const d3 = require('d3-geo');
const { geoMiller } = require('d3-geo-projection');
const topojson = require('topojson-client');
const { find: findZones } = require('geo-tz');
const { PNG } = require('pngjs');

const projection = require('./projection');
const { BANDS, REFERENCE_YEAR, bandOfZone } = require('./zones');
const { withHitMask } = require('./hitmask');

const W = projection.WIDTH;
const H = projection.HEIGHT;
const N = W * H;
const SS = 4; // supersampling per axis
const SS2 = SS * SS;
const SMALL_BAND_PIXELS = 1500; // bands below this get a clickable disc
const DISC_RADIUS = 6;

const proj = projection.makeProjection({
    width: W,
    height: H,
    topLatitude: projection.TOP_LATITUDE,
    bottomLatitude: projection.BOTTOM_LATITUDE,
});

function log(...args) {
    console.log(`[${((Date.now() - t0) / 1000).toFixed(1)} s]`, ...args);
}
const t0 = Date.now();

// ---------------------------------------------------------------- land

// Land coverage per pixel in 1/16ths, by even-odd scanline fill of the
// projected polygons at 4 x 4 samples per pixel. Land polygons never overlap,
// so one even-odd pass over all rings gives their union with lakes as holes.
function rasterizeLand() {
    const topo = JSON.parse(fs.readFileSync(require.resolve('world-atlas/land-50m.json'), 'utf8'));
    const land = topojson.feature(topo, topo.objects.land);
    const polygons = [];
    for (const f of land.features) {
        const g = f.geometry;
        const list = g.type === 'Polygon' ? [g.coordinates] : g.type === 'MultiPolygon' ? g.coordinates : [];
        for (const coordinates of list) {
            const p = { type: 'Polygon', coordinates };
            // A ring wound the wrong way encloses the rest of the globe and would
            // flood the whole map.
            if (d3.geoArea(p) <= 2 * Math.PI) {
                polygons.push(p);
            }
        }
    }

    const rows = Array.from({ length: H * SS }, () => []);
    let startX = 0;
    let startY = 0;
    let lastX = 0;
    let lastY = 0;
    const addEdge = (x0, y0, x1, y1) => {
        if (y0 === y1) {
            return;
        }
        if (y0 > y1) {
            [x0, y0, x1, y1] = [x1, y1, x0, y0];
        }
        // Sample rows whose centre (s + 0.5) / SS lies in [y0, y1).
        const sFirst = Math.max(0, Math.ceil(y0 * SS - 0.5));
        const sEnd = Math.min(H * SS, Math.ceil(y1 * SS - 0.5));
        const dxdy = (x1 - x0) / (y1 - y0);
        for (let s = sFirst; s < sEnd; ++s) {
            rows[s].push(x0 + ((s + 0.5) / SS - y0) * dxdy);
        }
    };
    const context = {
        moveTo(x, y) {
            [x, y] = proj.fromD3(x, y);
            startX = lastX = x;
            startY = lastY = y;
        },
        lineTo(x, y) {
            [x, y] = proj.fromD3(x, y);
            addEdge(lastX, lastY, x, y);
            lastX = x;
            lastY = y;
        },
        closePath() {
            addEdge(lastX, lastY, startX, startY);
            lastX = startX;
            lastY = startY;
        },
        arc() {},
    };
    const miller = geoMiller()
        .scale(1)
        .translate([0, 0])
        .precision(0.2 / (W / (2 * Math.PI)));
    const pathGen = d3.geoPath(miller, context);
    for (const p of polygons) {
        pathGen(p);
    }

    const cover = new Uint8Array(N);
    for (let s = 0; s < H * SS; ++s) {
        const xs = rows[s].sort((a, b) => a - b);
        const rowBase = (s >> 2) * W;
        for (let k = 0; k + 1 < xs.length; k += 2) {
            const cFirst = Math.max(0, Math.ceil(xs[k] * SS - 0.5));
            const cEnd = Math.min(W * SS, Math.ceil(xs[k + 1] * SS - 0.5));
            for (let c = cFirst; c < cEnd; ++c) {
                ++cover[rowBase + (c >> 2)];
            }
        }
    }
    return cover;
}

// ---------------------------------------------------------------- zones

// A point may lie in several zones where the boundary data overlap (Xinjiang
// keeps both Beijing time and its local solar time): it then belongs to every
// band among them, which the map shows as overlapping bands. Each distinct
// list of bands gets a small id.
const bandSets = [[]];
const bandSetIds = new Map([['', 0]]);
const bandSetOfZones = new Map();
const overlaps = new Map();
let lookups = 0;

function bandSetAt(lon, lat) {
    ++lookups;
    const ids = findZones(lat, lon);
    const key = ids.length === 1 ? ids[0] : ids.slice().sort().join(' ');
    let id = bandSetOfZones.get(key);
    if (id === undefined) {
        const bands = [...new Set(ids.map(bandOfZone).filter((b) => b >= 0))].sort((a, b) => a - b);
        const bandKey = bands.join(',');
        id = bandSetIds.get(bandKey);
        if (id === undefined) {
            id = bandSets.length;
            bandSets.push(bands);
            bandSetIds.set(bandKey, id);
        }
        bandSetOfZones.set(key, id);
    }
    if (ids.length > 1 && bandSets[id].length > 1) {
        overlaps.set(key, (overlaps.get(key) || 0) + 1);
    }
    return id;
}

// Bands of every pixel centre, then band shares of 4 x 4 samples in the pixels
// next to a border. Returns the centre band sets and, for border pixels, their
// sample counts per band (one slot per band and one for none).
function rasterizeZones() {
    const centre = new Uint16Array(N);
    for (let j = 0; j < H; ++j) {
        for (let i = 0; i < W; ++i) {
            const [lon, lat] = proj.toLonLat(i + 0.5, j + 0.5);
            centre[j * W + i] = bandSetAt(lon, lat);
        }
    }
    log(`pixel centres done (${lookups} look-ups)`);

    const slots = BANDS.length + 1; // the last slot counts samples in no band
    const borderIndex = new Int32Array(N).fill(-1);
    const border = [];
    for (let j = 0; j < H; ++j) {
        for (let i = 0; i < W; ++i) {
            const p = j * W + i;
            const b = centre[p];
            let differs = false;
            for (let dj = -1; dj <= 1 && !differs; ++dj) {
                const jj = j + dj;
                if (jj < 0 || jj >= H) {
                    continue;
                }
                for (let di = -1; di <= 1; ++di) {
                    const ii = (i + di + W) % W;
                    if (centre[jj * W + ii] !== b) {
                        differs = true;
                        break;
                    }
                }
            }
            if (differs) {
                borderIndex[p] = border.length;
                border.push(p);
            }
        }
    }
    const counts = new Uint8Array(border.length * slots);
    for (let k = 0; k < border.length; ++k) {
        const p = border[k];
        const i = p % W;
        const j = (p - i) / W;
        for (let a = 0; a < SS; ++a) {
            for (let c = 0; c < SS; ++c) {
                const [lon, lat] = proj.toLonLat(i + (c + 0.5) / SS, j + (a + 0.5) / SS);
                const set = bandSets[bandSetAt(lon, lat)];
                if (set.length === 0) {
                    ++counts[k * slots + BANDS.length];
                }
                for (const b of set) {
                    ++counts[k * slots + b];
                }
            }
        }
    }
    log(`${border.length} border pixels supersampled (${lookups} look-ups)`);
    for (const [zones, n] of overlaps) {
        log(`  overlapping zones ${zones}: ${n} samples in several bands`);
    }
    return { centre, borderIndex, counts, slots };
}

// ---------------------------------------------------------------- pictures

// Land colours of the bands; the sea gets a light tint of the same colour.
const PALETTE = [
    '#4e79a7', '#f28e2b', '#e15759', '#76b7b2', '#59a14f', '#edc948',
    '#b07aa1', '#ff9da7', '#9c755f', '#499894', '#d37295', '#8cd17d',
].map((h) => [1, 3, 5].map((k) => parseInt(h.slice(k, k + 2), 16)));
const TINT = 0.62; // share of white in the sea colour

function lab([r, g, b]) {
    const lin = (v) => ((v /= 255) <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4);
    const [R, G, B] = [lin(r), lin(g), lin(b)];
    const f = (t) => (t > 216 / 24389 ? Math.cbrt(t) : (24389 / 27 * t + 16) / 116);
    const x = f((0.4124 * R + 0.3576 * G + 0.1805 * B) / 0.9505);
    const y = f(0.2126 * R + 0.7152 * G + 0.0722 * B);
    const z = f((0.0193 * R + 0.1192 * G + 0.9505 * B) / 1.089);
    return [116 * y - 16, 500 * (x - y), 200 * (y - z)];
}

// Chooses a palette colour per band so that bands sharing a border (weighted
// by its length in pixels) get colours far apart, both on land and at sea.
function chooseColours(adjacency) {
    const n = BANDS.length;
    const labs = PALETTE.map(lab);
    const distance = (a, b) => Math.hypot(labs[a][0] - labs[b][0], labs[a][1] - labs[b][1], labs[a][2] - labs[b][2]);
    const penalty = PALETTE.map((_, a) => PALETTE.map((_, b) => Math.max(0, 70 - distance(a, b)) ** 2));
    const choice = new Array(n).fill(-1);
    const cost = (band, colour) => {
        let c = 0;
        for (let other = 0; other < n; ++other) {
            if (other !== band && choice[other] >= 0) {
                c += adjacency[band * n + other] * penalty[colour][choice[other]];
            }
        }
        return c;
    };
    const weight = (band) => {
        let w = 0;
        for (let other = 0; other < n; ++other) {
            w += adjacency[band * n + other];
        }
        return w;
    };
    const order = [...Array(n).keys()].sort((a, b) => weight(b) - weight(a) || a - b);
    const pick = (band) => {
        let best = 0;
        let bestCost = Infinity;
        for (let c = 0; c < PALETTE.length; ++c) {
            // Ties go to the colour least used so far, then to palette order.
            const k = cost(band, c) + 1e-3 * choice.filter((x) => x === c).length;
            if (k < bestCost) {
                best = c;
                bestCost = k;
            }
        }
        return best;
    };
    for (const band of order) {
        choice[band] = pick(band);
    }
    for (let round = 0; round < 5; ++round) {
        for (const band of order) {
            choice[band] = -1;
            choice[band] = pick(band);
        }
    }
    return choice.map((c) => {
        const strong = PALETTE[c];
        return { strong, tint: strong.map((v) => Math.round(v + (255 - v) * TINT)) };
    });
}

// Sets bit p in out wherever a pixel of mask lies within the given offsets.
function dilate(mask, offsets) {
    const out = new Uint8Array(N);
    for (let p = 0; p < N; ++p) {
        if (!mask[p]) {
            continue;
        }
        const i = p % W;
        const j = (p - i) / W;
        for (const [di, dj] of offsets) {
            const jj = j + dj;
            if (jj < 0 || jj >= H) {
                continue;
            }
            out[jj * W + ((i + di + W) % W)] = 1;
        }
    }
    return out;
}

const RING = [];
for (let dj = -1; dj <= 1; ++dj) {
    for (let di = -1; di <= 1; ++di) {
        RING.push([di, dj]);
    }
}
const DISC = [];
for (let dj = -DISC_RADIUS; dj <= DISC_RADIUS; ++dj) {
    for (let di = -DISC_RADIUS; di <= DISC_RADIUS; ++di) {
        if (di * di + dj * dj <= DISC_RADIUS * DISC_RADIUS) {
            DISC.push([di, dj]);
        }
    }
}

function encodePng(rgba) {
    const png = new PNG({ width: W, height: H, colorType: 6, inputColorType: 6, bitDepth: 8 });
    rgba.copy(png.data);
    // Different filters win on different pictures; keep the smallest file.
    let best = null;
    for (const filterType of [-1, 2]) {
        const buf = PNG.sync.write(png, {
            colorType: 6,
            inputColorType: 6,
            deflateLevel: 9,
            deflateStrategy: 0,
            filterType,
        });
        if (!best || buf.length < best.length) {
            best = buf;
        }
    }
    // The module reads the clickable pixels from this chunk instead of decoding the picture.
    return withHitMask(best, rgba, W, H);
}

function main() {
    const outDir = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', 'content'));
    fs.mkdirSync(outDir, { recursive: true });

    const land = rasterizeLand();
    log('land rasterized');
    const { centre, borderIndex, counts, slots } = rasterizeZones();

    // Share of a band in a pixel, in samples out of SS2.
    const share = (p, b) => {
        const k = borderIndex[p];
        if (k < 0) {
            return bandSets[centre[p]].includes(b) ? SS2 : 0;
        }
        return counts[k * slots + b];
    };
    // A pixel is the core of every band holding at least half of it, and of
    // the band with the largest share, so that no pixel between three bands is
    // left out.
    const mainBand = new Int8Array(N).fill(-1);
    for (let p = 0; p < N; ++p) {
        const k = borderIndex[p];
        const set = bandSets[centre[p]];
        if (k < 0) {
            mainBand[p] = set.length ? set[0] : -1;
            continue;
        }
        let best = -1;
        let bestCount = 0;
        for (let b = 0; b < slots; ++b) {
            const c = counts[k * slots + b];
            if (c > bestCount || (c === bestCount && c > 0 && set.includes(b))) {
                best = b;
                bestCount = c;
            }
        }
        mainBand[p] = best === BANDS.length ? -1 : best;
    }
    const hitCount = new Uint8Array(N);
    const written = [];
    let totalBytes = 0;

    // Base map: grey land, alpha = land coverage.
    {
        const rgba = Buffer.alloc(N * 4);
        for (let p = 0; p < N; ++p) {
            if (land[p]) {
                rgba[4 * p] = 150;
                rgba[4 * p + 1] = 152;
                rgba[4 * p + 2] = 156;
                rgba[4 * p + 3] = Math.round((255 * land[p]) / SS2);
            }
        }
        const buf = encodePng(rgba);
        fs.writeFileSync(path.join(outDir, 'all.png'), buf);
        totalBytes += buf.length;
    }

    // Clickable area of each band: its core grown by one pixel, so that a
    // click on a border may pick either band.
    const cores = BANDS.map(() => new Uint8Array(N));
    for (let p = 0; p < N; ++p) {
        const k = borderIndex[p];
        if (k < 0) {
            for (const b of bandSets[centre[p]]) {
                cores[b][p] = 1;
            }
            continue;
        }
        for (let b = 0; b < BANDS.length; ++b) {
            if (mainBand[p] === b || 2 * counts[k * slots + b] >= SS2) {
                cores[b][p] = 1;
            }
        }
    }
    const hits = [];
    const islands = [];
    BANDS.forEach((band, b) => {
        const corePixels = cores[b].reduce((sum, v) => sum + v, 0);
        if (corePixels > 0 && corePixels < SMALL_BAND_PIXELS) {
            // A few remote islands, mostly missing from the land data: mark
            // them in the land colour and give them a target a pointer can hit.
            islands[b] = cores[b];
            cores[b] = dilate(cores[b], DISC);
        }
        hits.push(dilate(cores[b], RING));
    });

    const n = BANDS.length;
    const adjacency = new Float64Array(n * n);
    const here = [];
    for (let p = 0; p < N; ++p) {
        here.length = 0;
        for (let b = 0; b < n; ++b) {
            if (hits[b][p]) {
                here.push(b);
            }
        }
        for (let x = 0; x < here.length; ++x) {
            for (let y = x + 1; y < here.length; ++y) {
                ++adjacency[here[x] * n + here[y]];
                ++adjacency[here[y] * n + here[x]];
            }
        }
    }
    const colours = chooseColours(adjacency);

    const bandStats = [];
    BANDS.forEach((band, b) => {
        const core = cores[b];
        const hit = hits[b];
        const island = islands[b];
        const rim = dilate(hit, RING);
        const rgba = Buffer.alloc(N * 4);
        const { strong, tint } = colours[b];
        let clickable = 0;
        let corePixels = 0;
        for (let p = 0; p < N; ++p) {
            let alpha = 0;
            if (core[p]) {
                alpha = 255;
                ++corePixels;
            } else if (hit[p]) {
                alpha = 176 + Math.round((79 * share(p, b)) / SS2);
            } else if (rim[p]) {
                // Faint outer rim for a smooth edge; below the hit threshold.
                const i = p % W;
                const j = (p - i) / W;
                let k = 0;
                for (const [di, dj] of RING) {
                    const jj = j + dj;
                    if (jj >= 0 && jj < H && hit[jj * W + ((i + di + W) % W)]) {
                        ++k;
                    }
                }
                alpha = Math.round((96 * k) / 8);
            }
            if (!alpha) {
                continue;
            }
            const l = island && island[p] ? 1 : land[p] / SS2;
            rgba[4 * p] = Math.round(tint[0] + (strong[0] - tint[0]) * l);
            rgba[4 * p + 1] = Math.round(tint[1] + (strong[1] - tint[1]) * l);
            rgba[4 * p + 2] = Math.round(tint[2] + (strong[2] - tint[2]) * l);
            rgba[4 * p + 3] = alpha;
            if (alpha >= 128) {
                ++clickable;
                if (hitCount[p] < 255) {
                    ++hitCount[p];
                }
            }
        }
        const buf = encodePng(rgba);
        fs.writeFileSync(path.join(outDir, band.file), buf);
        totalBytes += buf.length;
        written.push(band.file);
        bandStats.push({ label: band.label, corePixels, hits: clickable, disc: !!island, bytes: buf.length });
    });
    log(`${written.length} band pictures written`);

    let inNone = 0;
    let inSeveral = 0;
    for (let p = 0; p < N; ++p) {
        if (hitCount[p] === 0) {
            ++inNone;
        } else if (hitCount[p] > 1) {
            ++inSeveral;
        }
    }
    for (const s of bandStats) {
        console.log(
            `  ${s.label}  ${String(s.corePixels).padStart(7)} px  ${String(s.hits).padStart(7)} clickable` +
                `  ${String(s.bytes).padStart(6)} B${s.disc ? '  (island disc)' : ''}`,
        );
    }
    console.log(
        `  pixels in no band: ${inNone}; in two or more: ${inSeveral} (${((100 * inSeveral) / N).toFixed(1)} %)`,
    );
    console.log(`  total size of the pictures: ${totalBytes} bytes`);

    const manifest = {
        description:
            'Time zone map of the Date and time page: a base map and one picture per UTC offset band, generated by tools/mapgen. ' +
            'The pictures lie beside this file; the module packs them as :/content/<file>.',
        width: W,
        height: H,
        baseMap: 'all.png',
        referenceYear: REFERENCE_YEAR,
        hitMask:
            'Each picture carries its clickable pixels (alpha >= 128) in a private PNG chunk "hiTM" after IHDR: ' +
            'a version byte (1), width and height as big-endian u32, then per row the lengths of alternating ' +
            'runs of not clickable and clickable pixels as unsigned LEB128 numbers, starting with not clickable.',
        projection: {
            name: 'Miller cylindrical, stretched vertically',
            centralMeridian: 0,
            topLatitude: projection.TOP_LATITUDE,
            bottomLatitude: projection.BOTTOM_LATITUDE,
            formula: [
                'M(lat) = 1.25 * ln(tan(pi / 4 + 0.4 * lat * pi / 180)), lat in degrees',
                'x = (lon + 180) / 360 * width',
                'y = (M(topLatitude) - M(lat)) / (M(topLatitude) - M(bottomLatitude)) * height',
                'x and y are continuous: the point lies in pixel (floor(x), floor(y)); pixel (i, j) has its centre at (i + 0.5, j + 0.5)',
            ],
            examples: [
                { place: 'Gulf of Guinea', lon: 0, lat: 0 },
                { place: 'Moscow', lon: 37.6173, lat: 55.7558 },
                { place: 'Mumbai', lon: 72.8777, lat: 19.076 },
                { place: 'New York', lon: -74.006, lat: 40.7128 },
            ].map((e) => {
                const [x, y] = proj.toPixel(e.lon, e.lat);
                return { ...e, x: Number(x.toFixed(3)), y: Number(y.toFixed(3)), pixel: [Math.floor(x), Math.floor(y)] };
            }),
        },
        bands: BANDS.map((b) => ({ offset: b.offset, label: b.label, file: b.file })),
        bandNotes: [
            'A pixel belongs to a band (is clickable) where the band picture has alpha >= 128; alpha 1 to 127 is only a soft edge.',
            'A band holds the zones whose standard (non-daylight) offset, the smaller of the offsets on 15 January and 15 July ' +
                REFERENCE_YEAR +
                ', equals its offset, and the open sea of the nautical zone Etc/GMT with that offset.',
            'Neighbouring bands overlap by about one pixel along their borders.',
            'Where the boundary data give a place to zones of different offsets it belongs to all their bands: ' +
                [...overlaps]
                    .filter(([, count]) => count >= 100)
                    .map(([zones]) => zones.replace(' ', ' and '))
                    .join('; ') +
                '.',
            'The open sea between 172.5 W and the date line (nautical UTC-12, which has no band) belongs to the +12:00 band.',
            'The file +12_45.png is the band of Chatham Islands; the module keys it by Pacific/Chatham\'s current offset (45900 or 49500 s).',
            'Bands with only a few island pixels (' +
                bandStats
                    .filter((s) => s.disc)
                    .map((s) => s.label)
                    .join(', ') +
                ') are widened to a disc of ' +
                DISC_RADIUS +
                ' px radius around their islands so that they can be clicked.',
            'Offsets without a band (for example +05:45, +08:45, -03:30, +13:00, +14:00) leave their areas in no band.',
        ],
        sources: [
            {
                what: 'time zone boundaries',
                name: 'timezone-boundary-builder (through the npm package geo-tz 8.1.9, data of zones alike since 1970)',
                credit: '© OpenStreetMap contributors',
                license: 'ODbL',
            },
            {
                what: 'land and coastlines',
                name: 'Natural Earth 1:50m land (through the npm package world-atlas 2.0.2)',
                license: 'public domain',
            },
        ],
    };
    fs.writeFileSync(path.join(outDir, 'manifest.json'), JSON.stringify(manifest, null, 2) + '\n');
    log('manifest written to ' + outDir);
}

main();
