#include "gif/indexedimage.h"
#include "gif/colourreduction.h"

#include <QHash>

namespace {

constexpr int MaxColours = 256;

class ExactPalette {
public:
    explicit ExactPalette(QList<QRgb> &palette) : m_palette(palette) {}

    // -1 once a 257th colour turns up.
    int indexOf(QRgb c)
    {
        // Maps are mostly runs of one colour: the previous pixel's index saves most look-ups.
        if (c == m_previous && m_previousIndex >= 0)
            return m_previousIndex;
        auto it = m_index.constFind(c);
        if (it == m_index.constEnd()) {
            if (m_palette.size() >= MaxColours)
                return -1;
            it = m_index.insert(c, int(m_palette.size()));
            m_palette.push_back(c);
        }
        m_previous = c;
        m_previousIndex = it.value();
        return m_previousIndex;
    }

private:
    QList<QRgb> &m_palette;
    QHash<QRgb, int> m_index;
    QRgb m_previous = 0;
    int m_previousIndex = -1;
};

} // namespace

std::optional<IndexedImage> indexExactly(const QImage &source, bool transparent)
{
    if (source.isNull())
        return std::nullopt;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    IndexedImage out;
    out.size = image.size();
    const size_t w = size_t(image.width());
    out.pixels.resize(w * size_t(image.height()));
    ExactPalette palette(out.palette);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        uchar *indices = out.pixels.data() + size_t(y) * w;
        for (size_t x = 0; x < w; ++x) {
            const bool clear = transparent && qAlpha(line[x]) == 0;
            const int i = palette.indexOf(clear ? 0 : (line[x] | 0xff000000u));
            if (i < 0)
                return std::nullopt;
            if (clear)
                out.transparentIndex = i;
            indices[x] = uchar(i);
        }
    }
    return out;
}

IndexedImage indexOpaque(const QImage &image)
{
    if (image.isNull())
        return {};
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    if (std::optional<IndexedImage> exact = indexExactly(opaque))
        return *std::move(exact);
    return *indexExactly(reduceColours(opaque.convertToFormat(QImage::Format_ARGB32), MaxColours));
}
