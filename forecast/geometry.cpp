#include "forecast/geometry.h"

// Every step must round to single precision on its own: a fused multiply-add
// would shift the results by an ulp and corners would no longer map exactly.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

struct Triangle {
    float ax, ay, dir1x, dir1y, dir2x, dir2y;
};

// Both frames shifted by (-900, -60), where the reference triangles are stated.
constexpr float kShiftX = 900;
constexpr float kShiftY = 60;
constexpr Triangle kDomain1{5775, 5595, 1155, -330, 300, 1170};
constexpr Triangle kDomain2{3960, 5655, 1845, -60, 60, 1725};

void mapBetween(const Triangle &from, const Triangle &to, float x, float y, float &outX, float &outY)
{
    const float xs = x - kShiftX;
    const float ys = y - kShiftY;
    float u = 0;
    float v = 0;
    GetBaryCoord(xs, ys, from.ax, from.ay, from.dir1x, from.dir1y, from.dir2x, from.dir2y, u, v);
    const float x1u = to.dir1x * u;
    const float x2v = to.dir2x * v;
    const float xsum = x1u + x2v;
    const float y1u = to.dir1y * u;
    const float y2v = to.dir2y * v;
    const float ysum = y1u + y2v;
    const float xt = xsum + to.ax;
    const float yt = ysum + to.ay;
    outX = xt + kShiftX;
    outY = yt + kShiftY;
}

} // namespace

void GetBaryCoord(float x, float y, float ax, float ay, float dir1x, float dir1y,
                  float dir2x, float dir2y, float &u, float &v)
{
    const float px = x - ax;
    const float py = y - ay;

    const float d11a = dir1x * dir1x;
    const float d11b = dir1y * dir1y;
    const float d11 = d11a + d11b;
    const float d22a = dir2x * dir2x;
    const float d22b = dir2y * dir2y;
    const float d22 = d22a + d22b;
    const float d12a = dir1x * dir2x;
    const float d12b = dir1y * dir2y;
    const float d12 = d12a + d12b;

    const float p1a = px * dir1x;
    const float p1b = py * dir1y;
    const float p1 = p1a + p1b;
    const float p2a = px * dir2x;
    const float p2b = py * dir2y;
    const float p2 = p2a + p2b;

    const float deta = d22 * d11;
    const float detb = d12 * d12;
    const float det = deta - detb;
    // Parallel axes give no solution; the caller's values stay.
    if (det == 0.0f)
        return;

    const float una = p1 * d22;
    const float unb = d12 * p2;
    const float un = una - unb;
    const float vna = d11 * p2;
    const float vnb = d12 * p1;
    const float vn = vna - vnb;
    u = un / det;
    v = vn / det;
}

void ConvertD1TOD2(float x, float y, float &x2, float &y2)
{
    mapBetween(kDomain1, kDomain2, x, y, x2, y2);
}

void convertD2ToD1(float x2, float y2, float &x, float &y)
{
    mapBetween(kDomain2, kDomain1, x2, y2, x, y);
}
