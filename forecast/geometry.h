#pragma once
// The two map frames: domain 1 (temp, prec, nebu, p850, p500) and domain 2 (vent, orag).
// Coordinates in twips of the unzoomed map, 15 to a pixel; every step in single precision.

void GetBaryCoord(float x, float y, float ax, float ay, float dir1x, float dir1y,
                  float dir2x, float dir2y, float &u, float &v);
void ConvertD1TOD2(float x, float y, float &x2, float &y2);
// The inverse affine map, for painting domain-2 maps from a domain-1 field.
void convertD2ToD1(float x2, float y2, float &x, float &y);
