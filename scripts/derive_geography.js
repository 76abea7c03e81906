#!/usr/bin/env node
// Derives data/geography/europe.geo, the coastlines and country borders of the demonstration
// maps, from Natural Earth 1:50m as the npm package world-atlas carries it (public domain).
//
//   npm pack world-atlas@2.0.2 && tar xzf world-atlas-2.0.2.tgz
//   node scripts/derive_geography.js package/countries-50m.json > data/geography/europe.geo
//
// Output: the window below, simplified to about 0.03 degrees (under half a map pixel), in
// hundredths of a degree. Each line is one ring ("L", land, closed) or line ("B", border): the
// first point, then the steps from point to point as lon lat pairs.
'use strict';

const fs = require('fs');

const WINDOW = { west: -95, east: 95, south: 15, north: 90 };
const TOLERANCE = 0.03;  // degrees

function decodeArcs(topo) {
    const [sx, sy] = topo.transform.scale;
    const [tx, ty] = topo.transform.translate;
    return topo.arcs.map(arc => {
        let x = 0, y = 0;
        return arc.map(([dx, dy]) => {
            x += dx;
            y += dy;
            return [x * sx + tx, y * sy + ty];
        });
    });
}

function arcPoints(arcs, index) {
    return index >= 0 ? arcs[index] : arcs[~index].slice().reverse();
}

function ringPoints(arcs, ring) {
    const out = [];
    for (const index of ring) {
        const pts = arcPoints(arcs, index);
        out.push(...(out.length ? pts.slice(1) : pts));
    }
    return out;
}

function polygonsOf(geometry) {
    if (geometry.type === 'Polygon')
        return [geometry.arcs];
    if (geometry.type === 'MultiPolygon')
        return geometry.arcs;
    return [];
}

// Sutherland-Hodgman against the window, one edge at a time: the window is convex.
function clipRing(points) {
    const edges = [
        [p => p[0] >= WINDOW.west, (a, b) => cut(a, b, 0, WINDOW.west)],
        [p => p[0] <= WINDOW.east, (a, b) => cut(a, b, 0, WINDOW.east)],
        [p => p[1] >= WINDOW.south, (a, b) => cut(a, b, 1, WINDOW.south)],
        [p => p[1] <= WINDOW.north, (a, b) => cut(a, b, 1, WINDOW.north)],
    ];
    let ring = points;
    for (const [inside, intersect] of edges) {
        const next = [];
        for (let i = 0; i < ring.length; ++i) {
            const a = ring[(i + ring.length - 1) % ring.length];
            const b = ring[i];
            if (inside(b)) {
                if (!inside(a))
                    next.push(intersect(a, b));
                next.push(b);
            } else if (inside(a)) {
                next.push(intersect(a, b));
            }
        }
        ring = next;
        if (!ring.length)
            break;
    }
    return ring;
}

function cut(a, b, axis, value) {
    const t = (value - a[axis]) / (b[axis] - a[axis]);
    return [a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])];
}

function insideWindow(p) {
    return p[0] >= WINDOW.west && p[0] <= WINDOW.east && p[1] >= WINDOW.south && p[1] <= WINDOW.north;
}

// Douglas-Peucker on an open line; both ends stay.
function simplify(points) {
    if (points.length < 3)
        return points;
    const keep = new Uint8Array(points.length);
    keep[0] = keep[points.length - 1] = 1;
    const stack = [[0, points.length - 1]];
    while (stack.length) {
        const [first, last] = stack.pop();
        const [ax, ay] = points[first];
        const [bx, by] = points[last];
        const len = Math.hypot(bx - ax, by - ay);
        let worst = -1, at = -1;
        for (let i = first + 1; i < last; ++i) {
            const [px, py] = points[i];
            const d = len > 0 ? Math.abs((bx - ax) * (ay - py) - (ax - px) * (by - ay)) / len : Math.hypot(px - ax, py - ay);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > TOLERANCE) {
            keep[at] = 1;
            stack.push([first, at], [at, last]);
        }
    }
    return points.filter((_, i) => keep[i]);
}

// A ring is split at its two farthest-apart points so that both halves keep their shape.
function simplifyRing(points) {
    const half = Math.floor(points.length / 2);
    return simplify(points.slice(0, half + 1)).concat(simplify(points.slice(half)).slice(1));
}

function encode(tag, points) {
    const q = points.map(([x, y]) => [Math.round(x * 100), Math.round(y * 100)]);
    const parts = [tag, q[0][0], q[0][1]];
    for (let i = 1; i < q.length; ++i) {
        const dx = q[i][0] - q[i - 1][0];
        const dy = q[i][1] - q[i - 1][1];
        if (dx || dy)
            parts.push(dx, dy);
    }
    return parts.join(' ');
}

function main() {
    const file = process.argv[2];
    if (!file) {
        console.error('usage: derive_geography.js countries-50m.json');
        process.exit(2);
    }
    const topo = JSON.parse(fs.readFileSync(file, 'utf8'));
    const arcs = decodeArcs(topo);
    const lines = [
        '# Coastlines and country borders of the demonstration maps (Europe, North Atlantic, North Africa).',
        '# Source: Natural Earth 1:50m land and admin-0 countries, public domain (naturalearthdata.com),',
        '# as TopoJSON in the npm package world-atlas 2.0.2 (ISC licence). Derived by scripts/derive_geography.js.',
        '# Units: 1/100 degree. L: land ring, B: border line; first point, then steps.',
    ];

    for (const geometry of topo.objects.land.geometries) {
        for (const polygon of polygonsOf(geometry)) {
            for (const ring of polygon) {
                const clipped = clipRing(ringPoints(arcs, ring));
                if (clipped.length < 4)
                    continue;
                const simple = simplifyRing(clipped);
                if (simple.length >= 4)
                    lines.push(encode('L', simple));
            }
        }
    }

    // A border is an arc that two different countries share.
    const users = new Map();
    topo.objects.countries.geometries.forEach((geometry, country) => {
        for (const polygon of polygonsOf(geometry)) {
            for (const ring of polygon) {
                for (const index of ring) {
                    const arc = index >= 0 ? index : ~index;
                    if (!users.has(arc))
                        users.set(arc, new Set());
                    users.get(arc).add(country);
                }
            }
        }
    });
    for (const [arc, countries] of users) {
        if (countries.size < 2)
            continue;
        let run = [];
        const flush = () => {
            if (run.length >= 2)
                lines.push(encode('B', simplify(run)));
            run = [];
        };
        for (const p of arcs[arc]) {
            if (insideWindow(p))
                run.push(p);
            else
                flush();
        }
        flush();
    }
    process.stdout.write(lines.join('\n') + '\n');
}

main();
