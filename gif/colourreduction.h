#pragma once
// Fewer colours for a GIF palette: a median cut over the opaque colours of a picture whose
// pixels are opaque or clear, each opaque pixel then taking its nearest palette colour.
#include <QImage>

QImage reduceColours(const QImage &flat, int maxColours);
