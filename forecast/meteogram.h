#pragma once
// The point forecast over a whole run, for the meteogram: at every step the means the step
// panel reads and the storm energy the pictogram reads, sampled exactly as the panels
// sample them. Decoding a map is what costs: what one version of a map file (its path,
// size and time) gave at a place is kept, so the same run and place decode no map again.
#include "forecast/pointforecast.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QVector>

#include <array>

constexpr int PanelRoleCount = 6;

struct MeteogramStep {
    int step = 0;
    bool read = false;  // false until the cache was read for it
    int missing = 0;    // maps of the step the cache lacks
    std::array<std::optional<double>, PanelRoleCount> means{};  // by PanelRole

    std::optional<double> mean(PanelRole role) const { return means[std::size_t(role)]; }
};

// One quantity of the meteogram and the precision its panel sums in.
struct MeteogramSource {
    const PanelQuantity *quantity;
    bool singlePrecisionSum;
};
// The step panel's quantities, then the "now" panel's storm energy.
const QVector<MeteogramSource> &meteogramSources();

class MapSampleMemo {
public:
    // The grid of one quantity around the place on a cached map; empty when the cache
    // lacks the map.
    std::optional<GridMean> sample(const QString &path, const MeteogramSource &source, const PanelInputs &inputs);
    int decodes() const { return m_decodes; }  // maps decoded so far

private:
    static constexpr int PlacesPerFile = 16;  // beyond, the oldest places are forgotten
    struct Entry {
        qint64 size = -1;
        qint64 modified = 0;
        QHash<quint64, GridMean> grids;  // by place in the map's frame
    };
    QHash<QString, Entry> m_files;
    int m_decodes = 0;
};

// The step inputs.step at the place of inputs.
MeteogramStep readMeteogramStep(const PanelInputs &inputs, MapSampleMemo &memo);
// The maps of steps 0..lastStep the cache lacks, step by step.
QVector<MapNeed> meteogramMissing(const QString &cacheDir, int lastStep);

// Steps 0..last of one place, read from the cache a slice of time at a time so that the
// window stays live while maps decode; a step is read again when its maps change.
class MeteogramSeries : public QObject {
    Q_OBJECT
public:
    static constexpr int SliceMs = 15;

    explicit MeteogramSeries(QObject *parent = nullptr);

    // Every step unread, then read in order.
    void start(const PanelInputs &place, int lastStep);
    void reread(int step);
    void rereadAll();

    const QVector<MeteogramStep> &steps() const { return m_steps; }
    const PanelInputs &place() const { return m_place; }
    int lastStep() const { return int(m_steps.size()) - 1; }
    bool complete() const { return m_pending.isEmpty(); }
    const MapSampleMemo &memo() const { return m_memo; }

Q_SIGNALS:
    void changed();    // steps were read
    void completed();  // nothing left to read

private:
    void readSlice();

    PanelInputs m_place;
    QVector<MeteogramStep> m_steps;
    QVector<int> m_pending;  // in the order they are read
    MapSampleMemo m_memo;
    QTimer m_slice;
};
