#pragma once
// Where things sit on a demonstration map. The viewer copies the legend strip from the
// origin below, so it must not move.
#include <QPoint>
#include <QRect>
#include <QRgb>

namespace MapLayout {
constexpr int height = 620;
constexpr int forecastWidth = 880;
constexpr int archiveWidth = 890;
constexpr int maxWidth = archiveWidth;

constexpr QPoint forecastLegendOrigin{803, 137};
constexpr QPoint archiveLegendOrigin{833, 137};
constexpr int legendWidth = 49;
constexpr int legendHeight = 398;
constexpr int legendSwatchWidth = 17;

constexpr QRect forecastField{4, 26, 786, 590};
constexpr QRect archiveField{4, 26, 816, 590};

// Colours painted over the field: none is in any legend (the cloud legend is the greys
// 20..250 by tens, the precipitation legend holds white).
constexpr QRgb background = 0xffe8e8e0;
constexpr QRgb ink = 0xff000000;        // coastlines, frame, text, arrows, contours
constexpr QRgb gridColour = 0xff5a5a6e;  // latitude/longitude lines
constexpr QRgb isobarColour = 0xff780000;
constexpr QRgb borderColour = 0xff5f5f5f;  // country borders: 95 is no cloud grey
}
