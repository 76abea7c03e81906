#include "shell/imageloader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

LoadedPicture LoadPictureFile(const QString &path)
{
    LoadedPicture result;
    if (!QFileInfo(path).isFile()) {
        result.error = 22;
        return result;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.width() > MaxPictureSide || declared.height() > MaxPictureSide
        || qint64(declared.width()) * declared.height() > MaxPicturePixels)
        return result;
    const QImage image = reader.read();
    if (image.isNull())
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
