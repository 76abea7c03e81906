#pragma once
// The two point-forecast panels: for the chosen place, each quantity's cached map is
// loaded into the work picture, a 7 x 7 grid of pixels around the place is decoded
// through the kind's legend and the decodable samples are averaged.
#include "forecast/legends.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

enum class PanelRole { Temperature, Precipitation, CloudCover, Temperature850, Storm, Wind };

// A text that is either fixed or a message of the message table, read when needed.
struct PanelText {
    const char *literal = nullptr;  // UTF-8; used when set
    int message = -1;
    QString text() const;
};

struct PanelQuantity {
    PanelRole role;
    const char *key;   // kind key of the map: temp, prec, ...
    int what;          // kind number handed to the fetch callback
    Decoded (*decode)(qint32 color);
    bool domain2;      // centre from PlaceX2/PlaceY2 (wind and storm maps)
    int spacing;       // pixels between samples: 3 (temperature) or 1
    bool shown;        // false: feeds the pictogram only
    QString (*format)(double);  // the number: one decimal, or whole for a percentage
    PanelText unit;    // written right after the number
    PanelText unavailable;
};

struct PanelTable {
    QVector<PanelQuantity> quantities;
    // Calculer rounds its running sum to single precision after each addition;
    // CalculeActual sums in double precision.
    bool singlePrecisionSum = false;
    // The step every map is read at (CalculeActual: 0); empty: the selected step.
    std::optional<int> fixedStep;

    static const PanelTable &series();   // Calculer: the selected step
    static const PanelTable &current();  // CalculeActual: step 0
};

struct PanelInputs {
    QString cacheDir;    // where the maps are
    QString programDir;  // where picto/ is
    int step = 0;        // HScroll1's value
    float PlaceX = 0, PlaceY = 0, PlaceX2 = 0, PlaceY2 = 0;  // twips, 15 to a pixel
};

// Fetches the map of kind number `what` for step index `heure` into the cache (GetNewModeles).
using FetchMap = std::function<void(int heure, int what)>;

struct QuantityResult {
    PanelRole role;
    bool shown = false;           // as in the table
    QString text;                 // value and unit, or the unavailable text; empty when not shown
    std::optional<double> mean;   // empty when unavailable
    int count = 0;                // samples that decoded

    bool available() const { return mean.has_value(); }
};

struct PanelResult {
    QVector<QuantityResult> quantities;  // in table order
    qint16 pictogram = 0;
    QString pictogramPath;
    QImage pictogramImage;  // null when the file is missing or does not decode

    QStringList labelTexts() const;  // texts of the shown quantities, in order
    QString text(PanelRole role) const;  // empty when that role is not shown
    std::optional<double> mean(PanelRole role) const;
};

// The cache file a quantity reads at a step; empty for a step that names no map.
QString quantityMapPath(const QString &cacheDir, const PanelQuantity &quantity, int step);

// A map of the panel that the cache lacks: step index and kind number.
struct MapNeed {
    int step;
    int what;
    bool operator==(const MapNeed &) const = default;
};
QVector<MapNeed> missingMaps(const PanelTable &table, const PanelInputs &inputs);

// Runs one panel. `OK` is the window's one-retry flag (false afterwards); `workPicture`
// is replaced by each map that loads, and left as it was by a load that fails.
PanelResult computePanel(const PanelTable &table, const PanelInputs &inputs, bool &OK,
                         const FetchMap &fetch, QImage &workPicture);

// Mean of the decodable samples of one grid (exposed for the benchmark and the tests).
struct GridMean {
    std::optional<double> mean;
    int count = 0;
};
GridMean sampleGrid(const QImage &picture, const PanelQuantity &quantity, float centreX,
                    float centreY, bool singlePrecisionSum);
// The grid around the place of `inputs`, in the quantity's map frame.
GridMean samplePlace(const QImage &picture, const PanelQuantity &quantity, const PanelInputs &inputs,
                     bool singlePrecisionSum);
// The lowest row of the picture samplePlace reads; -1 when it reads none.
int samplePlaceLastRow(const PanelQuantity &quantity, const PanelInputs &inputs);
