#pragma once
// A picture as a GIF holds it: a palette of at most 256 colours and one index per pixel.
#include <QImage>
#include <QList>
#include <QSize>

#include <optional>
#include <vector>

struct IndexedImage {
    QSize size;
    QList<QRgb> palette;        // opaque colours, at most 256
    std::vector<uchar> pixels;  // palette indices, row after row
    int transparentIndex = -1;  // the index of fully transparent pixels, -1 when none
};

// Every colour kept exactly, in the order they first appear; nothing when the picture has
// more than 256. With transparent, fully transparent pixels share one index of their own.
std::optional<IndexedImage> indexExactly(const QImage &image, bool transparent = false);

// An opaque picture (any alpha is ignored): exactly when it can be, else through
// reduceColours to 256, so it never fails on a valid picture.
IndexedImage indexOpaque(const QImage &image);
