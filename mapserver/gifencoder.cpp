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

struct IndexedImage {
    int width = 0, height = 0;
    std::vector<GifColorType> palette;
    std::vector<GifByteType> pixels;
    int transparentIndex = -1;
};

// Exact palette: every distinct colour gets its own index, in the order they first appear.
class ExactPalette {
public:
    explicit ExactPalette(std::vector<GifColorType> &palette) : m_palette(palette) {}

    // -1 once a 257th colour turns up.
    int indexOf(QRgb c)
    {
        // Maps are mostly runs of one colour: the previous pixel's index saves most look-ups.
        if (c == m_previous && m_previousIndex >= 0)
            return m_previousIndex;
        auto it = m_index.constFind(c);
        if (it == m_index.constEnd()) {
            if (m_palette.size() >= 256)
                return -1;
            it = m_index.insert(c, int(m_palette.size()));
            m_palette.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
        }
        m_previous = c;
        m_previousIndex = it.value();
        return m_previousIndex;
    }

private:
    std::vector<GifColorType> &m_palette;
    QHash<QRgb, int> m_index;
    QRgb m_previous = 0;
    int m_previousIndex = -1;
};

// False when the image has more than 256 colours.
bool indexExactly(const QImage &image, bool transparent, IndexedImage &out)
{
    const size_t w = size_t(image.width());
    out.width = image.width();
    out.height = image.height();
    out.pixels.resize(w * size_t(out.height));
    ExactPalette palette(out.palette);
    for (int y = 0; y < out.height; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const bool clear = transparent && qAlpha(line[x]) == 0;
            const int i = palette.indexOf(clear ? 0 : (line[x] | 0xff000000u));
            if (i < 0)
                return false;
            if (clear)
                out.transparentIndex = i;
            out.pixels[size_t(y) * w + size_t(x)] = GifByteType(i);
        }
    }
    return true;
}

bool putTransparency(GifFileType *gif, int transparentIndex)
{
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = 0;
    gcb.TransparentColor = transparentIndex;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
}

bool putImage(GifFileType *gif, IndexedImage &image, int bits, ColorMapObject *map)
{
    const int w = image.width;
    bool ok = map && EGifPutScreenDesc(gif, w, image.height, bits, 0, map) == GIF_OK;
    if (ok && image.transparentIndex >= 0)
        ok = putTransparency(gif, image.transparentIndex);
    if (ok)
        ok = EGifPutImageDesc(gif, 0, 0, w, image.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height; ++y)
        ok = EGifPutLine(gif, image.pixels.data() + size_t(y) * size_t(w), w) == GIF_OK;
    return ok;
}

QByteArray writeGif(IndexedImage &image)
{
    const int bits = bitsFor(int(image.palette.size()));
    image.palette.resize(size_t(1) << bits, GifColorType{0, 0, 0});
    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, writeToBuffer, &error);
    if (!gif)
        return {};
    ColorMapObject *map = GifMakeMapObject(int(image.palette.size()), image.palette.data());
    const bool ok = putImage(gif, image, bits, map);
    if (map)
        GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        return {};
    return out;
}

} // namespace

QByteArray encodeGif(const QImage &source, bool transparent)
{
    if (source.isNull())
        return {};
    IndexedImage indexed;
    if (!indexExactly(source.convertToFormat(QImage::Format_ARGB32), transparent, indexed))
        return {};
    return writeGif(indexed);
}
