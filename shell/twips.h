#pragma once
// The window's unit: the design places controls in twips, 15 to a screen pixel.
#include <QWidget>
#include <QtMath>

constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(int twips) { return qRound(twips / double(TwipsPerPixel)); }

inline void placeTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
