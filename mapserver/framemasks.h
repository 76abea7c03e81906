#pragma once
// Per-pixel land, coastline, borders and latitude/longitude grid of a map frame, computed once.
#include "mapserver/mapkinds.h"

#include <QPointF>
#include <QVector>

// The domain-1 point (in pixels) that picture pixel (px, py) of a frame shows, and back.
void toDomain1(MapFrame frame, float px, float py, float &x, float &y);
QPointF fromDomain1(MapFrame frame, float x, float y);

struct FrameMasks {
    enum Flag : quint8 { Land = 1, Coast = 2, Grid = 4, Border = 8 };
    int width = 0;
    int height = 0;
    QVector<quint8> flags;

    bool has(int x, int y, Flag f) const { return flags[y * width + x] & f; }
};

// Built on first use (thread-safe) for pictures up to MapLayout::maxWidth x height.
const FrameMasks &frameMasks(MapFrame frame);
