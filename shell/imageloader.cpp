#include "shell/imageloader.h"

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

// Qt reports a GIF's first frame as its size but decodes the whole logical screen, which
// the header declares: that is the size to judge.
bool acceptableGifScreen(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(10);
    if (!header.startsWith("GIF"))
        return true;  // not a GIF: the reader's size stands
    if (header.size() < 10)
        return false;
    const auto le16 = [&](int at) { return int(uchar(header[at])) | int(uchar(header[at + 1])) << 8; };
    return acceptableSize(QSize(le16(6), le16(8)));
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
    // A last bound inside Qt's decoders, for whatever a header can hide (MiB, 4 bytes a pixel).
    reader.setAllocationLimit(int(MaxPicturePixels * 4 / (1024 * 1024)));
    if (!acceptableSize(reader.size()) || !acceptableGifScreen(path))
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
