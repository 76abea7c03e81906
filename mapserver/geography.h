#pragma once
// The land under the demonstration maps: Natural Earth coastlines and borders of Europe, the
// North Atlantic and North Africa, and a table of mountain ranges, placed by projection.h.
#include "mapserver/projection.h"

#include <QImage>
#include <QPolygonF>
#include <QVector>

struct Geography {
    QVector<QPolygonF> land;     // closed rings, x = longitude, y = latitude
    QVector<QPolygonF> borders;  // open lines between countries
};
const Geography &geography();

// Where a place (latitude, longitude) falls in some picture's pixels.
using PlaceToPixel = QPointF (*)(double lat, double lon);
// A picture of that size, white where the land or the borders are, black elsewhere.
QImage landImage(const QSize &size, PlaceToPixel place);
QImage borderImage(const QSize &size, PlaceToPixel place);

// What the weather needs to know of a domain-1 place; it never changes, so callers may keep it.
struct Site {
    float land = 0;     // 0 at sea, 1 on land, in between along the coast
    float inland = 0;   // land share of the surroundings, a few hundred km around: 0 on the ocean
    float height = 0;   // km
    float lat = 0, lon = 0;
};
Site siteAt(float x, float y);
