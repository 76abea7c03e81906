#include "forecast/pixelcolour.h"

qint32 pixelColour(const QImage &image, int x, int y)
{
    if (image.isNull() || x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return -1;
    const QRgb rgb = image.pixel(x, y);
    return qint32(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}
