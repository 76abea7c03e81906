#pragma once
// The top rows of a plain GIF, decoded fast: the point forecasts read a few rows of many
// maps, and Qt's decoder spends most of its time turning every pixel into colour.
#include <QByteArray>
#include <QImage>

// The first `rows` rows (all of them when the picture has fewer) of a GIF's first frame,
// the same colours Qt's decoder gives them. Null for anything but a GIF whose first frame
// covers its screen, not interlaced, without transparency and whose data is whole: the
// caller then decodes it the ordinary way.
QImage decodeGifRows(const QByteArray &gif, int rows);
