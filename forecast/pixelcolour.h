#pragma once
#include <QImage>
#include <QtGlobal>

// Colour of one pixel as 0x00BBGGRR (red in the low byte), -1 outside the picture
// or on a null picture.
qint32 pixelColour(const QImage &image, int x, int y);
