#pragma once
// The invented land the demonstration maps show, in domain-1 pixel coordinates
// (x to the east, y to the south), and a polar-stereographic latitude/longitude for it.

// Positive on land, negative at sea; smooth, so it also blends land and sea climates.
float landness(float x, float y);
// Height of the ground in km where the point is land (the caller applies landness).
float terrainHeight(float x, float y);
void latLon(float x, float y, float &lat, float &lon);

// What the weather needs to know of a place; it never changes, so callers may keep it.
struct Site {
    float land = 0;     // 0 at sea, 1 on land, in between along the coast
    float height = 0;   // km
    float lat = 0, lon = 0;
};
Site siteAt(float x, float y);
