// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

'use strict';
// The map's projection: Miller cylindrical, central meridian 0, stretched
// vertically so that TOP_LATITUDE is the top edge of the picture and
// BOTTOM_LATITUDE its bottom edge. Shared by the generator and the checker so
// that both agree to the last pixel with what the manifest documents.

const WIDTH = 1771;
const HEIGHT = 986;
const TOP_LATITUDE = 84;
const BOTTOM_LATITUDE = -57;

const RAD = Math.PI / 180;

// Miller's ordinate in radians of the unit sphere.
function millerY(latDeg) {
    return 1.25 * Math.log(Math.tan(Math.PI / 4 + 0.4 * latDeg * RAD));
}

function millerLat(y) {
    return (2.5 * Math.atan(Math.exp(0.8 * y)) - 0.625 * Math.PI) / RAD;
}

function makeProjection(params) {
    const width = params.width;
    const height = params.height;
    const yTop = millerY(params.topLatitude);
    const yBottom = millerY(params.bottomLatitude);
    const ySpan = yTop - yBottom;
    return {
        width,
        height,
        // Continuous picture coordinates: pixel (i, j) covers [i, i + 1) x [j, j + 1).
        toPixel(lon, lat) {
            return [((lon + 180) / 360) * width, ((yTop - millerY(lat)) / ySpan) * height];
        },
        toLonLat(x, y) {
            return [(x / width) * 360 - 180, millerLat(yTop - (y / height) * ySpan)];
        },
        // From d3's geoMiller().scale(1).translate([0, 0]) output (radians, y pointing down).
        fromD3(px, py) {
            return [((px + Math.PI) / (2 * Math.PI)) * width, ((py + yTop) / ySpan) * height];
        },
    };
}

module.exports = { WIDTH, HEIGHT, TOP_LATITUDE, BOTTOM_LATITUDE, millerY, millerLat, makeProjection };
