#include "gif/gifencoder.h"

#include <gif_lib.h>

#include <vector>

namespace {

int bitsFor(int colours)
{
    int bits = 1;
    while ((1 << bits) < colours)
        ++bits;
    return bits;
}

// A palette padded to the power of two giflib wants. Null when it cannot be made.
ColorMapObject *makeColourMap(const QList<QRgb> &palette, int bits)
{
    std::vector<GifColorType> colours(size_t(1) << bits, GifColorType{0, 0, 0});
    for (int i = 0; i < palette.size(); ++i)
        colours[size_t(i)] = {GifByteType(qRed(palette[i])), GifByteType(qGreen(palette[i])), GifByteType(qBlue(palette[i]))};
    return GifMakeMapObject(int(colours.size()), colours.data());
}

bool putControlBlock(GifFileType *gif, int transparentIndex, int delay)
{
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = delay >= 0 ? DISPOSE_DO_NOT : DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = qMax(delay, 0);
    gcb.TransparentColor = transparentIndex;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
}

// Loop count 0: for ever.
bool putLoopForever(GifFileType *gif)
{
    static const GifByteType name[] = "NETSCAPE2.0";
    static const GifByteType loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
        && EGifPutExtensionBlock(gif, 11, name) == GIF_OK && EGifPutExtensionBlock(gif, 3, loop) == GIF_OK
        && EGifPutExtensionTrailer(gif) == GIF_OK;
}

} // namespace

struct GifStream::State {
    Sink sink;
    bool loopForever = false;
    GifFileType *gif = nullptr;
    bool failed = false;
    QSize screen;
    QList<QRgb> globalPalette;
    std::vector<GifByteType> line;  // giflib masks the line it is given: a copy of each row

    static int write(GifFileType *gif, const GifByteType *data, int length)
    {
        auto *state = static_cast<State *>(gif->UserData);
        return state->sink(reinterpret_cast<const char *>(data), length) ? length : 0;
    }

    bool open(const IndexedImage &first, bool timed)
    {
        int error = 0;
        gif = EGifOpen(this, write, &error);
        if (!gif)
            return false;
        EGifSetGifVersion(gif, loopForever || timed || first.transparentIndex >= 0);
        screen = first.size;
        globalPalette = first.palette;
        const int bits = bitsFor(int(globalPalette.size()));
        ColorMapObject *map = makeColourMap(globalPalette, bits);
        const bool ok = map && EGifPutScreenDesc(gif, screen.width(), screen.height(), bits, 0, map) == GIF_OK;
        if (map)
            GifFreeMapObject(map);
        return ok && (!loopForever || putLoopForever(gif));
    }

    bool put(const IndexedImage &frame, int delay)
    {
        if (frame.size != screen || frame.pixels.size() != size_t(screen.width()) * size_t(screen.height()))
            return false;
        if ((frame.transparentIndex >= 0 || delay >= 0) && !putControlBlock(gif, frame.transparentIndex, delay))
            return false;
        ColorMapObject *local = nullptr;
        if (frame.palette != globalPalette && !(local = makeColourMap(frame.palette, bitsFor(int(frame.palette.size())))))
            return false;
        const int w = screen.width();
        bool ok = EGifPutImageDesc(gif, 0, 0, w, screen.height(), false, local) == GIF_OK;
        if (local)
            GifFreeMapObject(local);
        line.resize(size_t(w));
        for (int y = 0; ok && y < screen.height(); ++y) {
            std::copy_n(frame.pixels.data() + size_t(y) * size_t(w), size_t(w), line.data());
            ok = EGifPutLine(gif, line.data(), w) == GIF_OK;
        }
        return ok;
    }

    bool close()
    {
        int error = 0;
        const bool ok = gif && EGifCloseFile(gif, &error) == GIF_OK;
        gif = nullptr;
        return ok;
    }
};

GifStream::GifStream(Sink sink, bool loopForever) : m_state(std::make_unique<State>())
{
    m_state->sink = std::move(sink);
    m_state->loopForever = loopForever;
}

GifStream::~GifStream()
{
    m_state->close();
}

bool GifStream::addFrame(const IndexedImage &frame, int delayCentiseconds)
{
    State &s = *m_state;
    if (!s.failed && !frame.palette.isEmpty() && !frame.size.isEmpty())
        s.failed = !(s.gif || s.open(frame, delayCentiseconds >= 0)) || !s.put(frame, delayCentiseconds);
    else
        s.failed = true;
    return !s.failed;
}

bool GifStream::finish()
{
    const bool wrote = m_state->gif != nullptr;
    return m_state->close() && wrote && !m_state->failed;
}

QByteArray encodeGif(const QImage &image, bool transparent)
{
    const std::optional<IndexedImage> indexed = indexExactly(image, transparent);
    if (!indexed)
        return {};
    QByteArray out;
    GifStream gif([&out](const char *data, int length) {
        out.append(data, length);
        return true;
    }, false);
    if (!gif.addFrame(*indexed) || !gif.finish())
        return {};
    return out;
}
