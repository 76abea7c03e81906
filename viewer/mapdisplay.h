#pragma once
// Where the map display puts things, in pixels of the picture boxes. Positions come in
// twips (15 to a pixel).
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The pixel that holds a position in twips.
int twipsToPixel(double twips);

// The map in Picture1: top-left at the offsets x zoom, the image stretched by zoom.
QRect mapRectPixels(float offsetX, float offsetY, float zoom, QSize imageSize);
// A square outline from centre - halfSide to centre + halfSide (twips) on both axes.
QRect squarePixels(double centreX, double centreY, double halfSide);
// The image pixel that lands at Picture5's top-left corner.
QPoint legendOrigin(bool archive);

// A number of the archive date lists: the leading number of the text, 0 without one.
int dateListNumber(const QString &text);
