#pragma once
// The meteogram drawn with QPainter into any rectangle: the window's chart and the saved
// picture are the same drawing.
#include "forecast/meteogram.h"

#include <QDateTime>
#include <QRectF>
#include <QVector>

class QFont;
class QPainter;
class MeteogramLayout;

struct MeteogramPicture {
    QVector<MeteogramStep> steps;
    QVector<QDateTime> times;  // the valid time (UTC) of each step
    int selected = -1;         // the main window's step
    int hovered = -1;          // the step under the pointer
};

// Where the parts go, drawn in this font.
MeteogramLayout meteogramLayout(const QFont &font, const QRectF &area, int steps);
void paintMeteogram(QPainter &painter, const QRectF &area, const MeteogramPicture &picture);
