#pragma once
// GIF encoding through giflib (Qt reads GIF but cannot write it).
#include <QByteArray>
#include <QImage>

// Encodes an image with at most 256 distinct colours exactly (no dithering, no
// approximation). Returns an empty array when the image has more colours.
// Fully transparent pixels become the transparent index when transparent is true.
QByteArray encodeGif(const QImage &image, bool transparent = false);
