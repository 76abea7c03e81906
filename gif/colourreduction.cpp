#include "gif/colourreduction.h"

#include <QHash>
#include <algorithm>
#include <climits>
#include <vector>

namespace {

struct Counted {
    QRgb colour;
    int count;
};

int channel(QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); }

using Box = std::vector<Counted>;

Box opaqueColours(const QImage &image)
{
    QHash<QRgb, int> histogram;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++histogram[image.pixel(x, y)];
    Box colours;
    for (auto it = histogram.cbegin(); it != histogram.cend(); ++it)
        colours.push_back({it.key(), it.value()});
    return colours;
}

// The range of the channel along which the box is longest.
int spread(const Box &box, int &widest)
{
    int best = -1;
    for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (const Counted &c : box)
            lo = std::min(lo, channel(c.colour, ch)), hi = std::max(hi, channel(c.colour, ch));
        if (hi - lo > best)
            best = hi - lo, widest = ch;
    }
    return best;
}

// The first of the longest boxes, or -1 when every box is a single colour.
int boxToSplit(const std::vector<Box> &boxes, int &pickChannel)
{
    int pick = -1, pickSpread = 0;
    for (int i = 0; i < int(boxes.size()); ++i) {
        int ch = 0;
        const int s = boxes[i].size() > 1 ? spread(boxes[i], ch) : 0;
        if (s > pickSpread)
            pick = i, pickChannel = ch, pickSpread = s;
    }
    return pick;
}

// Cuts at the median pixel rather than the median colour: common colours keep more precision.
void splitBox(std::vector<Box> &boxes, int pick, int pickChannel)
{
    Box &box = boxes[pick];
    std::sort(box.begin(), box.end(), [pickChannel](const Counted &a, const Counted &b) {
        return channel(a.colour, pickChannel) < channel(b.colour, pickChannel);
    });
    long total = 0;
    for (const Counted &c : box)
        total += c.count;
    long running = 0;
    size_t cut = 1;
    for (; cut < box.size() - 1; ++cut) {
        running += box[cut - 1].count;
        if (running * 2 >= total)
            break;
    }
    Box upper(box.begin() + long(cut), box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
}

QVector<QRgb> boxAverages(const std::vector<Box> &boxes)
{
    QVector<QRgb> palette;
    for (const auto &box : boxes) {
        double r = 0, g = 0, b = 0, n = 0;
        for (const Counted &c : box)
            r += qRed(c.colour) * c.count, g += qGreen(c.colour) * c.count, b += qBlue(c.colour) * c.count, n += c.count;
        if (n > 0)
            palette << qRgb(qRound(r / n), qRound(g / n), qRound(b / n));
    }
    return palette;
}

// Median cut over the opaque colours, leaving one palette slot for the clear pixels.
QVector<QRgb> medianCut(const QImage &image, int maxColours)
{
    std::vector<Box> boxes(1, opaqueColours(image));
    while (int(boxes.size()) < maxColours) {
        int pickChannel = 0;
        const int pick = boxToSplit(boxes, pickChannel);
        if (pick < 0)
            break;
        splitBox(boxes, pick, pickChannel);
    }
    return boxAverages(boxes);
}

} // namespace

QImage reduceColours(const QImage &flat, int maxColours)
{
    const QVector<QRgb> palette = medianCut(flat, maxColours);
    QImage out = flat;
    QHash<QRgb, QRgb> nearest;
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            auto it = nearest.constFind(line[x]);
            if (it == nearest.constEnd()) {
                QRgb best = palette.first();
                int bestDistance = INT_MAX;
                for (QRgb c : palette) {
                    const int dr = qRed(c) - qRed(line[x]), dg = qGreen(c) - qGreen(line[x]), db = qBlue(c) - qBlue(line[x]);
                    const int d = dr * dr + dg * dg + db * db;
                    if (d < bestDistance)
                        bestDistance = d, best = c;
                }
                it = nearest.insert(line[x], best);
            }
            line[x] = it.value();
        }
    }
    return out;
}
