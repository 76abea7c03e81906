#include "mapserver/gifencoder.h"

#include <QHash>
#include <gif_lib.h>
#include <vector>

namespace {

int writeToBuffer(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

int bitsFor(int colours)
{
    int bits = 1;
    while ((1 << bits) < colours)
        ++bits;
    return bits;
}

} // namespace

QByteArray encodeGif(const QImage &source, bool transparent)
{
    if (source.isNull())
        return {};
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();

    // Exact palette: every distinct colour gets its own index.
    QHash<QRgb, int> index;
    std::vector<GifColorType> palette;
    std::vector<GifByteType> pixels(size_t(w) * size_t(h));
    int transparentIndex = -1;
    // Maps are mostly runs of one colour: the previous pixel's index saves most look-ups.
    QRgb previous = 0;
    int previousIndex = -1;
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb c = line[x];
            const bool clear = transparent && qAlpha(c) == 0;
            c = clear ? 0 : (c | 0xff000000u);
            if (c == previous && previousIndex >= 0) {
                pixels[size_t(y) * size_t(w) + size_t(x)] = GifByteType(previousIndex);
                continue;
            }
            auto it = index.constFind(c);
            if (it == index.constEnd()) {
                if (palette.size() >= 256)
                    return {};
                it = index.insert(c, int(palette.size()));
                palette.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
                if (clear)
                    transparentIndex = it.value();
            }
            previous = c;
            previousIndex = it.value();
            pixels[size_t(y) * size_t(w) + size_t(x)] = GifByteType(previousIndex);
        }
    }
    const int bits = bitsFor(int(palette.size()));
    palette.resize(size_t(1) << bits, GifColorType{0, 0, 0});

    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, writeToBuffer, &error);
    if (!gif)
        return {};
    ColorMapObject *map = GifMakeMapObject(int(palette.size()), palette.data());
    bool ok = map && EGifPutScreenDesc(gif, w, h, bits, 0, map) == GIF_OK;
    if (ok && transparentIndex >= 0) {
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
        gcb.DelayTime = 0;
        gcb.TransparentColor = transparentIndex;
        GifByteType ext[4];
        const size_t len = EGifGCBToExtension(&gcb, ext);
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
    }
    if (ok)
        ok = EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(gif, pixels.data() + size_t(y) * size_t(w), w) == GIF_OK;
    if (map)
        GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        return {};
    return out;
}
