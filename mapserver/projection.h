#pragma once
// Where a place lies on a domain-1 map and back: polar stereographic, Greenwich meridian
// vertical, in pixels (x to the east, y to the south). The wind and storm maps get their frame
// from this one through the D1->D2 conversion, which turns it so that 12.5 E stands upright.

// Latitude and longitude in degrees to a domain-1 pixel.
void toPixel(double lat, double lon, double &x, double &y);
// Its inverse.
void latLon(double x, double y, double &lat, double &lon);
void latLon(float x, float y, float &lat, float &lon);
