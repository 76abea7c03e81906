#include "shell/imageloader.h"

#include "shell/gifrows.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

bool acceptableSize(const QSize &size)
{
    return !size.isEmpty() && size.width() <= MaxPictureSide && size.height() <= MaxPictureSide
        && qint64(size.width()) * size.height() <= MaxPicturePixels;
}

} // namespace

LoadedPicture LoadPictureFile(const QString &path)
{
    LoadedPicture result;
    if (!QFileInfo(path).isFile()) {
        result.error = 22;
        return result;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Qt's decoders refuse to allocate more than the largest picture (MiB, 4 bytes a pixel).
    // A GIF's size is its first frame's, yet it decodes to its whole logical screen: the
    // picture read is checked again.
    reader.setAllocationLimit(int(MaxPicturePixels * 4 / (1024 * 1024)));
    if (!acceptableSize(reader.size()))
        return result;
    const QImage image = reader.read();
    if (image.isNull() || !acceptableSize(image.size()))
        return result;
    if (image.hasAlphaChannel()) {
        // Transparent pixels come out black, as on the map servers' own viewers.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::black);
        QPainter(&opaque).drawImage(0, 0, image);
        result.picture = opaque;
    } else {
        result.picture = image.convertToFormat(QImage::Format_RGB32);
    }
    return result;
}

LoadedPicture LoadPictureRows(const QString &path, int rows)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        // The screen's size, as LoadPictureFile checks it before decoding.
        const auto word = [&bytes](int at) { return int(quint8(bytes.at(at))) | int(quint8(bytes.at(at + 1))) << 8; };
        if (bytes.size() > 10 && acceptableSize(QSize(word(6), word(8)))) {
            LoadedPicture result;
            result.picture = decodeGifRows(bytes, rows);
            if (!result.picture.isNull())
                return result;
        }
    }
    return LoadPictureFile(path);
}
