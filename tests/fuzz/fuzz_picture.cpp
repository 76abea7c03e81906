// The cache-file loading path: any bytes under a map's name, GIF or PNG or neither.
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
    return 0;
}
