#include "retrieval/gifcheck.h"

namespace {

class Walker {
public:
    explicit Walker(const QByteArray &bytes) : m_bytes(bytes) {}

    bool skip(qsizetype n)
    {
        m_at += n;
        return m_at <= m_bytes.size();
    }
    int next()  // -1 past the end
    {
        return m_at < m_bytes.size() ? quint8(m_bytes.at(m_at++)) : -1;
    }
    bool colourTable(int packed) { return !(packed & 0x80) || skip(3 * (qsizetype(2) << (packed & 7))); }
    bool subBlocks()
    {
        for (int size = next(); size != 0; size = next()) {
            if (size < 0 || !skip(size))
                return false;
        }
        return true;
    }
    int at(qsizetype offset) const { return offset < m_bytes.size() ? quint8(m_bytes.at(offset)) : -1; }

private:
    const QByteArray &m_bytes;
    qsizetype m_at = 0;
};

} // namespace

bool isCutGif(const QByteArray &bytes)
{
    if (!bytes.startsWith("GIF8"))
        return false;
    Walker w(bytes);
    if (!w.skip(13) || !w.colourTable(w.at(10)))
        return true;
    for (;;) {
        switch (w.next()) {
        case 0x3B:
            return false;
        case 0x21:
            if (w.next() < 0 || !w.subBlocks())
                return true;
            break;
        case 0x2C: {
            if (!w.skip(8))
                return true;
            const int packed = w.next();
            if (packed < 0 || !w.colourTable(packed) || w.next() < 0 || !w.subBlocks())
                return true;
            break;
        }
        default:
            return true;  // the end, or a block no GIF has: not the map that was sent
        }
    }
}
