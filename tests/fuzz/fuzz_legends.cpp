// Legend decoding on arbitrary pictures: a small picture of any colours, sampled by every
// point-forecast quantity around any centre, and read by every readout rule.
#include "forecast/pictogram.h"
#include "forecast/pointforecast.h"
#include "forecast/readout.h"
#include "fuzzinput.h"

#include <QImage>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    // Larger than one sampling grid (19 x 19 pixels), small enough to stay fast.
    const int width = 1 + in.take<uint8_t>() % 24;
    const int height = 1 + in.take<uint8_t>() % 24;
    const float centreX = in.take<float>();
    const float centreY = in.take<float>();
    QImage picture(width, height, QImage::Format_RGB32);
    std::vector<qint32> colours;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int r = in.take<uint8_t>(), g = in.take<uint8_t>(), b = in.take<uint8_t>();
            picture.setPixel(x, y, qRgb(r, g, b));
            colours.push_back(qint32(r | g << 8 | b << 16));
        }
    }
    colours.push_back(-1);  // a point off the picture
    float means[5] = {};
    for (const PanelTable *table : {&PanelTable::series(), &PanelTable::current()}) {
        int i = 0;
        for (const PanelQuantity &q : table->quantities) {
            const GridMean grid = sampleGrid(picture, q, centreX, centreY, table->singlePrecisionSum);
            if (grid.count < 0 || grid.count > 49 || grid.mean.has_value() != (grid.count > 0))
                qFatal("a grid of more than 49 samples");
            means[i++ % 5] = float(grid.mean.value_or(0));
        }
    }
    getpicto(means[0], means[1], means[2], means[3], means[4]);
    for (int rule = int(ReadoutRule::P850); rule <= int(ReadoutRule::Orag); ++rule)
        readoutText(ReadoutRule(rule), std::span<const qint32>(colours));
    return 0;
}
