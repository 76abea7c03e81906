#pragma once
// Deterministic smooth noise and hashing: the same inputs give the same weather everywhere.
#include <QtGlobal>

quint32 hashMix(quint32 a, quint32 b = 0, quint32 c = 0);
// Uniform in [0, 1) from a hash.
float hashUnit(quint32 a, quint32 b = 0, quint32 c = 0);
// Smooth value noise in about [-1, 1], one lattice cell per unit.
float valueNoise(float x, float y, quint32 seed);
// Sum of octaves of value noise; scale is the size of the largest features.
float fractalNoise(float x, float y, float scale, int octaves, quint32 seed);
