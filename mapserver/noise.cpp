#include "mapserver/noise.h"

#include <cmath>

quint32 hashMix(quint32 a, quint32 b, quint32 c)
{
    quint32 h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float hashUnit(quint32 a, quint32 b, quint32 c)
{
    return float(hashMix(a, b, c) >> 8) / float(1u << 24);
}

namespace {

float lattice(int ix, int iy, quint32 seed)
{
    return hashUnit(quint32(ix), quint32(iy), seed) * 2.0f - 1.0f;
}

float smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

} // namespace

float valueNoise(float x, float y, quint32 seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const float tx = smooth(x - fx);
    const float ty = smooth(y - fy);
    const float a = lattice(ix, iy, seed);
    const float b = lattice(ix + 1, iy, seed);
    const float c = lattice(ix, iy + 1, seed);
    const float d = lattice(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * tx;
    const float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fractalNoise(float x, float y, float scale, int octaves, quint32 seed)
{
    float sum = 0;
    float norm = 0;
    float amplitude = 1;
    float frequency = 1.0f / scale;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x * frequency, y * frequency, seed + quint32(i) * 1013u);
        norm += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.03f;
    }
    return sum / norm;
}
