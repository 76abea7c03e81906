// The cache-file loading path: any bytes under a map's name, GIF or PNG or neither, read
// whole or only its top rows.
#include "fuzzinput.h"
#include "shell/imageloader.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("temp0.png"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    const LoadedPicture loaded = LoadPictureFile(path);
    if (!loaded.picture.isNull()) {
        if (loaded.picture.format() != QImage::Format_RGB32 || loaded.picture.width() > MaxPictureSide
            || loaded.picture.height() > MaxPictureSide)
            qFatal("a loaded picture outside the promised format or size");
    }
    // The top rows alone (as many as the last byte says) are the whole picture's top rows.
    const int rows = size > 0 ? 1 + data[size - 1] * 3 : 1;
    const QImage top = LoadPictureRows(path, rows).picture;
    const QImage &whole = loaded.picture;
    const int compared = qMin(rows, whole.height());
    if (top.isNull() != whole.isNull() || top.width() != whole.width() || top.height() < compared)
        qFatal("the top rows do not have the whole picture's size");
    for (int y = 0; y < compared; ++y) {
        for (int x = 0; x < whole.width(); ++x) {
            if ((top.pixel(x, y) ^ whole.pixel(x, y)) & RGB_MASK)
                qFatal("the top rows differ from the whole picture's at %d,%d", x, y);
        }
    }
    return 0;
}
