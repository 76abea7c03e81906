#pragma once
// Where the map display puts things, in pixels of the picture boxes, and what the
// window's controls select. Positions come in twips (15 to a pixel).
#include "retrieval/mapaddress.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class Form1;

// Message numbers of the texts the window shows while retrieval runs.
constexpr int MsgLoading = 80;       // over the map while it is fetched
constexpr int MsgStopTip = 82;       // the control that cancels what runs
constexpr int MsgArchiveFailed = 83; // an archive day that could not be fetched

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
// The map that the controls select now.
MapSelection readSelection(const Form1 &form);
