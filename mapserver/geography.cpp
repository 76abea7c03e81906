#include "mapserver/geography.h"

#include "mapserver/noise.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

namespace {

struct Blob {
    float cx, cy, rx, ry, angleDeg;
};

// A blob ready for evaluation: its rotation worked out once.
struct Ellipse {
    float cx, cy, c, s, irx, iry;

    Ellipse(const Blob &b)
        : cx(b.cx), cy(b.cy)
        , c(std::cos(b.angleDeg * 3.14159265f / 180.0f))
        , s(std::sin(b.angleDeg * 3.14159265f / 180.0f))
        , irx(1.0f / b.rx), iry(1.0f / b.ry), minRadius(std::min(b.rx, b.ry))
    {
    }
    float minRadius;
    // About the distance in pixels to the rim, positive inside: coasts of small and large
    // blobs get equally rough.
    float depth(float x, float y) const
    {
        const float dx = x - cx;
        const float dy = y - cy;
        const float u = (dx * c + dy * s) * irx;
        const float v = (-dx * s + dy * c) * iry;
        return (1.0f - std::sqrt(u * u + v * v)) * minRadius;
    }
    // 1 at the centre, 0 on the rim, negative outside.
    float value(float x, float y) const
    {
        const float dx = x - cx;
        const float dy = y - cy;
        const float u = (dx * c + dy * s) * irx;
        const float v = (-dx * s + dy * c) * iry;
        return 1.0f - (u * u + v * v);
    }
};

template<size_t N>
std::vector<Ellipse> prepare(const Blob (&blobs)[N])
{
    return std::vector<Ellipse>(std::begin(blobs), std::end(blobs));
}

const Blob kLand[] = {
    {650, 230, 330, 235, -8},   // the northern continent
    {335, 430, 95, 68, 10},     // western peninsula
    {570, 720, 520, 170, 0},    // the southern continent
    {612, 452, 20, 66, -35},    // boot-shaped peninsula
    {735, 455, 60, 50, 0},      // south-eastern peninsula
    {300, 248, 34, 66, 12},     // large western island
    {238, 246, 20, 30, 0},      // its small neighbour
    {150, 62, 62, 28, 0},       // northern island
    {10, -70, 140, 120, 0},     // polar land in the north-west
    {545, 520, 24, 14, 20},     // islands of the inner sea
    {470, 505, 16, 28, 0},
};

const Blob kSea[] = {
    {470, 175, 75, 38, -30},    // the northern bight
    {540, 95, 38, 95, 20},      // the long gulf
    {570, 488, 240, 44, -4},    // the inner sea
    {790, 420, 70, 38, 0},      // its eastern basin
    {420, 318, 42, 22, 30},     // a bay on the west coast
};

struct Ridge {
    float cx, cy, rx, ry, angleDeg, heightKm;
};

const Ridge kRidges[] = {
    {565, 392, 95, 18, -12, 2.4f},
    {505, 105, 22, 95, 20, 1.2f},
    {340, 386, 48, 11, 0, 1.8f},
    {470, 598, 110, 16, -8, 2.0f},
    {700, 330, 60, 30, 25, 0.9f},
};

} // namespace

float landness(float x, float y)
{
    static const std::vector<Ellipse> lands = prepare(kLand);
    static const std::vector<Ellipse> seas = prepare(kSea);
    float land = -1e9f;
    for (const Ellipse &e : lands)
        land = std::max(land, e.depth(x, y));
    float sea = -1e9f;
    for (const Ellipse &e : seas)
        sea = std::max(sea, e.depth(x, y));
    // In pixels: about 40 inland or offshore at most from the smooth outline.
    return (std::min(land, -sea) + 28.0f * fractalNoise(x, y, 80.0f, 5, 77u)) / 40.0f;
}

float terrainHeight(float x, float y)
{
    static const std::vector<std::pair<Ellipse, float>> ridges = [] {
        std::vector<std::pair<Ellipse, float>> out;
        for (const Ridge &r : kRidges)
            out.emplace_back(Ellipse({r.cx, r.cy, r.rx, r.ry, r.angleDeg}), r.heightKm);
        return out;
    }();
    float h = 0.15f + 0.15f * fractalNoise(x, y, 90.0f, 2, 91u);
    for (const auto &[e, height] : ridges) {
        const float v = e.value(x, y);
        if (v > 0)
            h += height * v * v;
    }
    return std::max(0.0f, h);
}

void latLon(float x, float y, float &lat, float &lon)
{
    // Pole above the top edge: meridians converge northwards, parallels curve.
    constexpr float poleX = 440, poleY = -300, radius = 1600, centralLon = 5;
    const float dx = x - poleX;
    const float dy = y - poleY;
    const float r = std::sqrt(dx * dx + dy * dy);
    lat = 90.0f - 2.0f * std::atan(r / radius) * 180.0f / 3.14159265f;
    lon = centralLon + std::atan2(dx, dy) * 180.0f / 3.14159265f;
}

Site siteAt(float x, float y)
{
    Site s;
    const float l = landness(x, y);
    const float t = std::clamp((l + 0.08f) / 0.16f, 0.0f, 1.0f);
    s.land = t * t * (3.0f - 2.0f * t);
    s.height = s.land > 0 ? s.land * terrainHeight(x, y) : 0.0f;
    latLon(x, y, s.lat, s.lon);
    return s;
}
