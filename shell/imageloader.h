#pragma once
// Turns a cache file into a picture, by content (a GIF stored as ".png" loads).
#include <QImage>
#include <QString>

struct LoadedPicture {
    QImage picture;  // null for a file that does not decode
    int error = 0;   // 22 when no file exists at the path
};

// Largest picture accepted: a file declaring a bigger one is treated as undecodable
// rather than allocated (a map is about 880 x 620).
constexpr int MaxPictureSide = 8192;
constexpr qint64 MaxPicturePixels = 16ll * 1024 * 1024;

LoadedPicture LoadPictureFile(const QString &path);

// A picture whose first `rows` rows are those LoadPictureFile gives (the rows below may be
// left out): a plain GIF decodes only those rows, anything else decodes whole.
LoadedPicture LoadPictureRows(const QString &path, int rows);
