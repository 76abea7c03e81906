#include "forecast/pointforecast.h"
#include "forecast/decimalformat.h"
#include "forecast/pictogram.h"

#include <algorithm>
#include "shell/twips.h"
#include "forecast/pixelcolour.h"
#include "core/kinds.h"
#include "shell/paths.h"
#include "shell/imageloader.h"
#include "shell/messages.h"

#include <QFileInfo>
#include <QPointF>
#include <cmath>

namespace {

constexpr int GridHalfWidth = 3;  // offsets -3..3 times the spacing: 7 samples per axis

PanelText fixed(const char *text) { return PanelText{text, -1}; }
PanelText message(Msg m) { return PanelText{nullptr, int(m)}; }

PanelTable makeSeries()
{
    PanelTable t;
    t.singlePrecisionSum = true;
    t.quantities = {
        {PanelRole::Temperature, "temp", 1, GetTemp, false, 3, true, formatOneDecimal, fixed("°C"), message(Msg::Unavailable)},
        {PanelRole::Precipitation, "prec", 2, GetPrec, false, 1, true, formatOneDecimal, message(Msg::PrecipitationUnit), message(Msg::Unavailable)},
        {PanelRole::CloudCover, "nebu", 3, GetNebu, false, 1, true, formatWhole, message(Msg::PercentUnit), message(Msg::NotComputed)},
        {PanelRole::Temperature850, "p850", 4, GetP850, false, 1, true, formatOneDecimal, fixed("°C"), message(Msg::Unavailable)},
        {PanelRole::Wind, "vent", 7, GetVent, true, 1, true, formatOneDecimal, message(Msg::WindUnit), message(Msg::Unavailable)},
    };
    return t;
}

PanelTable makeCurrent()
{
    PanelTable t;
    t.fixedStep = 0;
    t.quantities = {
        {PanelRole::Temperature, "temp", 1, GetTemp, false, 3, true, formatOneDecimal, fixed("°C"), message(Msg::Unavailable)},
        {PanelRole::Precipitation, "prec", 2, GetPrec, false, 1, true, formatOneDecimal, message(Msg::PrecipitationUnit), message(Msg::Unavailable)},
        {PanelRole::CloudCover, "nebu", 3, GetNebu, false, 1, true, formatWhole, message(Msg::PercentUnit), message(Msg::Unavailable)},
        {PanelRole::Temperature850, "p850", 4, GetP850, false, 1, true, formatOneDecimal, fixed("°C"), message(Msg::Unavailable)},
        {PanelRole::Storm, "orag", 5, GetOrag, true, 1, false, nullptr, {}, {}},
        {PanelRole::Wind, "vent", 7, GetVent, true, 1, true, formatOneDecimal, message(Msg::WindUnit), message(Msg::Unavailable)},
    };
    return t;
}

// Loads one quantity's map into the work picture, fetching it once when it is missing.
// Returns false when the quantity has no map to sample.
bool loadMap(const QString &path, const PanelQuantity &q, int step, bool &OK,
             const FetchMap &fetch, QImage &workPicture)
{
    if (path.isEmpty())
        return false;
    LoadedPicture loaded = LoadPictureFile(path);
    if (loaded.error != 0) {
        if (OK) {
            // The display's own retry is under way: no second fetch here, and the
            // picture left from an earlier map must not be read as this quantity.
            OK = false;
            return false;
        }
        if (fetch)
            fetch(step, q.what);
        loaded = LoadPictureFile(path);
        if (loaded.error != 0)
            return false;
    }
    // A file that exists but does not decode gives a null picture: every sample then
    // reads -1 and the quantity is unavailable (precipitation counts 0 mm).
    workPicture = loaded.picture;
    OK = false;
    return true;
}

} // namespace

QString quantityMapPath(const QString &cacheDir, const PanelQuantity &q, int step)
{
    const MapKind *kind = kindByKey(QLatin1String(q.key));
    const QString name = kind ? forecastCacheName(*kind, step) : QString();
    return name.isEmpty() ? QString() : joinPath(cacheDir, name);
}

QString PanelText::text() const
{
    if (literal)
        return QString::fromUtf8(literal);
    return message >= 0 ? msg(message) : QString();
}

const PanelTable &PanelTable::series()
{
    static const PanelTable table = makeSeries();
    return table;
}

const PanelTable &PanelTable::current()
{
    static const PanelTable table = makeCurrent();
    return table;
}

QStringList PanelResult::labelTexts() const
{
    QStringList texts;
    for (const QuantityResult &q : quantities) {
        if (q.shown)
            texts << q.text;
    }
    return texts;
}

QString PanelResult::text(PanelRole role) const
{
    for (const QuantityResult &q : quantities) {
        if (q.role == role)
            return q.text;
    }
    return QString();
}

std::optional<double> PanelResult::mean(PanelRole role) const
{
    for (const QuantityResult &q : quantities) {
        if (q.role == role)
            return q.mean;
    }
    return std::nullopt;
}

// The pixel a position lies in; -1 (outside every picture) for a position no picture can
// reach, NaN included, so that a wild saved place never makes an out-of-range conversion.
int pixelIndex(float position)
{
    return position >= -1.0f && position < 1.0e6f ? int(std::floor(position)) : -1;
}

GridMean sampleGrid(const QImage &picture, const PanelQuantity &quantity, float centreX,
                    float centreY, bool singlePrecisionSum)
{
    float singleSum = 0;
    double doubleSum = 0;
    int count = 0;
    for (int i = -GridHalfWidth; i <= GridHalfWidth; ++i) {
        // Each position is the centre plus its offset, not a running sum, so the grid
        // always has its 7 points; a fractional position falls on the pixel it lies in.
        const float x = centreX + float(i * quantity.spacing);
        const int px = pixelIndex(x);
        for (int j = -GridHalfWidth; j <= GridHalfWidth; ++j) {
            const float y = centreY + float(j * quantity.spacing);
            const Decoded d = quantity.decode(pixelColour(picture, px, pixelIndex(y)));
            if (d.isNoMatch())
                continue;
            ++count;
            if (singlePrecisionSum)
                singleSum = float(double(singleSum) + d.sumValue());
            else
                doubleSum += d.sumValue();
        }
    }
    GridMean result;
    result.count = count;
    if (count != 0)
        result.mean = (singlePrecisionSum ? double(singleSum) : doubleSum) / count;
    return result;
}

namespace {

QPointF gridCentre(const PanelQuantity &quantity, const PanelInputs &inputs)
{
    return {(quantity.domain2 ? inputs.PlaceX2 : inputs.PlaceX) / float(TwipsPerPixel),
            (quantity.domain2 ? inputs.PlaceY2 : inputs.PlaceY) / float(TwipsPerPixel)};
}

} // namespace

GridMean samplePlace(const QImage &picture, const PanelQuantity &quantity, const PanelInputs &inputs,
                     bool singlePrecisionSum)
{
    const QPointF centre = gridCentre(quantity, inputs);
    return sampleGrid(picture, quantity, float(centre.x()), float(centre.y()), singlePrecisionSum);
}

int samplePlaceLastRow(const PanelQuantity &quantity, const PanelInputs &inputs)
{
    // The same sum as the grid's last row in sampleGrid, so the same pixel.
    return pixelIndex(float(gridCentre(quantity, inputs).y()) + float(GridHalfWidth * quantity.spacing));
}

QVector<MapNeed> missingMaps(const PanelTable &table, const PanelInputs &inputs)
{
    const int step = table.fixedStep.value_or(inputs.step);
    QVector<MapNeed> needs;
    for (const PanelQuantity &q : table.quantities) {
        const QString path = quantityMapPath(inputs.cacheDir, q, step);
        if (!path.isEmpty() && !QFileInfo::exists(path))
            needs.append(MapNeed{step, q.what});
    }
    return needs;
}

PanelResult computePanel(const PanelTable &table, const PanelInputs &inputs, bool &OK,
                         const FetchMap &fetch, QImage &workPicture)
{
    const int step = table.fixedStep.value_or(inputs.step);
    PanelResult result;
    for (const PanelQuantity &q : table.quantities) {
        QuantityResult r;
        r.role = q.role;
        r.shown = q.shown;
        const QString path = quantityMapPath(inputs.cacheDir, q, step);
        if (loadMap(path, q, step, OK, fetch, workPicture)) {
            const GridMean grid = samplePlace(workPicture, q, inputs, table.singlePrecisionSum);
            r.mean = grid.mean;
            r.count = grid.count;
        }
        if (q.shown)
            r.text = r.mean ? q.format(*r.mean) + q.unit.text() : q.unavailable.text();
        result.quantities << r;
    }
    OK = false;

    // Nothing known: no weather to picture.
    if (std::none_of(result.quantities.begin(), result.quantities.end(), [](const QuantityResult &q) { return q.available(); }))
        return result;
    auto input = [&](PanelRole role) { return float(result.mean(role).value_or(0.0)); };
    result.pictogram = getpicto(input(PanelRole::Temperature), input(PanelRole::CloudCover),
                                input(PanelRole::Temperature850), input(PanelRole::Precipitation),
                                input(PanelRole::Storm));
    result.pictogramPath = pictogramFile(inputs.programDir, result.pictogram);
    result.pictogramImage = QImage(result.pictogramPath);
    return result;
}
