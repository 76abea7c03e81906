#pragma once
// GIF encoding through giflib (Qt reads GIF but cannot write it).
#include "gif/indexedimage.h"

#include <QByteArray>
#include <QImage>

#include <functional>
#include <memory>

// Encodes an image with at most 256 distinct colours exactly (no dithering, no
// approximation). Returns an empty array when the image has more colours.
// Fully transparent pixels become the transparent index when transparent is true.
QByteArray encodeGif(const QImage &image, bool transparent = false);

// A GIF written frame by frame, its bytes handed to a sink as they are encoded, so a long
// animation never sits whole in memory and can be written one frame per turn of the event loop.
class GifStream {
public:
    // Takes the bytes; false when they could not be stored, which fails the stream.
    using Sink = std::function<bool(const char *data, int length)>;

    // loopForever: the NETSCAPE2.0 extension that has viewers play the frames again and again.
    GifStream(Sink sink, bool loopForever);
    ~GifStream();
    GifStream(const GifStream &) = delete;
    GifStream &operator=(const GifStream &) = delete;

    // The first frame sets the picture's size and its palette becomes the global one; a later
    // frame must have the same size and carries its own palette when it differs.
    // delayCentiseconds < 0: no timing. False once anything failed.
    bool addFrame(const IndexedImage &frame, int delayCentiseconds = -1);
    // Writes the trailer. False when anything failed or no frame was added.
    bool finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
