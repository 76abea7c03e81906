#include "shell/gifrows.h"

#include <QList>
#include <cstring>
#include <vector>

namespace {

constexpr int MaxCodes = 4096;  // 12-bit codes

class Reader {
public:
    explicit Reader(const QByteArray &bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.constData())), m_size(bytes.size())
    {
    }
    bool has(qsizetype n) const { return m_at + n <= m_size; }
    int byte() { return has(1) ? m_data[m_at++] : -1; }
    int word()
    {
        const int low = byte();
        const int high = byte();
        return high < 0 ? -1 : low | high << 8;
    }
    const uchar *take(qsizetype n)
    {
        if (!has(n))
            return nullptr;
        m_at += n;
        return m_data + m_at - n;
    }
    // The data of sub-blocks up to their terminator, appended to `into` when given.
    bool subBlocks(QByteArray *into)
    {
        for (int size = byte(); size != 0; size = byte()) {
            const uchar *block = size > 0 ? take(size) : nullptr;
            if (!block)
                return false;
            if (into)
                into->append(reinterpret_cast<const char *>(block), size);
        }
        return true;
    }
    bool colourTable(int packed, QList<QRgb> &table)
    {
        if (!(packed & 0x80))
            return true;
        const int count = 2 << (packed & 7);
        const uchar *rgb = take(3 * count);
        if (!rgb)
            return false;
        table.resize(count);
        for (int i = 0; i < count; ++i)
            table[i] = qRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        return true;
    }

private:
    const uchar *m_data;
    qsizetype m_size;
    qsizetype m_at = 0;
};

// LZW into `out` until it holds `total` pixels; false when the data ends first or breaks. Each new code's string is the previous
// string and the next pixel, which already stand side by side in the output: a code is
// its place there and its length, and decoding it is one copy.
bool decodeLzw(const QByteArray &data, int minCodeSize, qsizetype total, std::vector<uchar> &out)
{
    struct Code {
        qsizetype at;
        int length;
    };
    std::vector<Code> codes(MaxCodes);
    const int clear = 1 << minCodeSize;
    const auto *in = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype inSize = data.size();
    qsizetype inAt = 0;
    quint32 bits = 0;
    int bitCount = 0;
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    qsizetype at = 0;
    Code previous{0, 0};
    out.assign(std::size_t(total) + MaxCodes, 0);  // a last string may run past the rows wanted
    while (at < total) {
        while (bitCount < codeSize) {
            if (inAt == inSize)
                return false;
            bits |= quint32(in[inAt++]) << bitCount;
            bitCount += 8;
        }
        const int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous.length = 0;
            continue;
        }
        if (code == clear + 1)
            return false;  // the end before the rows wanted
        Code current{at, 1};
        if (code < clear) {
            out[at] = uchar(code);
        } else if (code < next && previous.length > 0) {
            current.length = codes[code].length;
            std::memcpy(&out[at], &out[codes[code].at], std::size_t(current.length));
        } else if (code == next && previous.length > 0) {
            current.length = previous.length + 1;
            std::memcpy(&out[at], &out[previous.at], std::size_t(previous.length));
            out[at + previous.length] = out[previous.at];
        } else {
            return false;
        }
        if (previous.length > 0 && next < MaxCodes) {
            codes[next++] = Code{previous.at, previous.length + 1};
            if (next == 1 << codeSize && codeSize < 12)
                ++codeSize;
        }
        previous = current;
        at += current.length;
    }
    return true;
}

} // namespace

QImage decodeGifRows(const QByteArray &gif, int rows)
{
    if (!gif.startsWith("GIF87a") && !gif.startsWith("GIF89a"))
        return QImage();
    Reader r(gif);
    r.take(6);
    const int width = r.word();
    const int height = r.word();
    const int packed = r.byte();
    QList<QRgb> palette;
    if (packed < 0 || !r.take(2) || !r.colourTable(packed, palette) || width <= 0 || height <= 0)
        return QImage();
    for (;;) {
        const int block = r.byte();
        if (block == 0x21) {
            const int label = r.byte();
            const uchar *control = label == 0xF9 && r.has(2) ? r.take(2) : nullptr;
            if (control && (control[1] & 1))
                return QImage();  // transparency: Qt's way paints it black
            if (label < 0 || !r.subBlocks(nullptr))
                return QImage();
            continue;
        }
        if (block != 0x2C)
            return QImage();
        break;
    }
    const int left = r.word(), top = r.word(), frameWidth = r.word(), frameHeight = r.word();
    const int framePacked = r.byte();
    if (left != 0 || top != 0 || frameWidth != width || frameHeight != height || framePacked < 0
        || (framePacked & 0x40) || !r.colourTable(framePacked, palette))
        return QImage();
    const int minCodeSize = r.byte();
    QByteArray data;
    if (minCodeSize < 2 || minCodeSize > 8 || (1 << minCodeSize) > palette.size() || !r.subBlocks(&data))
        return QImage();

    // The whole frame is decoded, though only the top rows are kept: data that breaks off
    // further down makes the picture unreadable to Qt too, and both must agree.
    const int wanted = qBound(1, rows, height);
    std::vector<uchar> pixels;
    if (!decodeLzw(data, minCodeSize, qsizetype(width) * height, pixels))
        return QImage();
    QImage image(width, wanted, QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < wanted; ++y)
        std::memcpy(image.scanLine(y), &pixels[std::size_t(y) * width], std::size_t(width));
    return image;
}
