#pragma once
// The window's unit: the design places controls in twips, 15 to a screen pixel.
#include <QRect>
#include <QtMath>

constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(int twips) { return qRound(twips / double(TwipsPerPixel)); }

// Each value is rounded on its own, as the design's controls were placed.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
