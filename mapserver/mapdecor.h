#pragma once
// Everything around the field: title lines, frame, legend strip and side panel.
#include "mapserver/legendscale.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

struct MapCaption {
    QString title;      // large, top left: "GFS  TEMPÉRATURE À 2 M"
    QString line1;      // small, top right: "+30H  VALIDE JEU 12.01.2024 12 UTC"
    QString line2;      // small, below it: "RUN DU 12.01.2024 06 UTC"
};

void drawCaption(QImage &image, const MapCaption &caption);
void drawFieldFrame(QImage &image, const QRect &field);
// Swatches top to bottom in legend order, labels to their right, the unit above.
void drawLegendStrip(QImage &image, const QPoint &origin, const LegendScale &scale, const QString &unit);
// Who made the map, in the corner under the legend.
void drawSidePanel(QImage &image, int left);
