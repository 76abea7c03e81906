#include "forecast/meteogram.h"

#include "shell/imageloader.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstring>

namespace {

QVector<MeteogramSource> makeSources()
{
    QVector<MeteogramSource> sources;
    const PanelTable &series = PanelTable::series();
    for (const PanelQuantity &q : series.quantities)
        sources.append({&q, series.singlePrecisionSum});
    const PanelTable &current = PanelTable::current();
    for (const PanelQuantity &q : current.quantities) {
        if (q.role == PanelRole::Storm)
            sources.append({&q, current.singlePrecisionSum});
    }
    return sources;
}

quint64 placeKey(const MeteogramSource &source, const PanelInputs &inputs)
{
    const float x = source.quantity->domain2 ? inputs.PlaceX2 : inputs.PlaceX;
    const float y = source.quantity->domain2 ? inputs.PlaceY2 : inputs.PlaceY;
    quint32 bx = 0, by = 0;
    std::memcpy(&bx, &x, sizeof bx);
    std::memcpy(&by, &y, sizeof by);
    return quint64(bx) << 32 | by;
}

} // namespace

const QVector<MeteogramSource> &meteogramSources()
{
    static const QVector<MeteogramSource> sources = makeSources();
    return sources;
}

std::optional<GridMean> MapSampleMemo::sample(const QString &path, const MeteogramSource &source,
                                              const PanelInputs &inputs)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return std::nullopt;
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    Entry &entry = m_files[path];
    if (entry.size != info.size() || entry.modified != modified)
        entry = Entry{info.size(), modified, {}};
    const quint64 key = placeKey(source, inputs);
    if (const auto known = entry.grids.constFind(key); known != entry.grids.cend())
        return *known;

    // Only the rows down to the grid's last one decode: the rest of the map is never read.
    const LoadedPicture loaded = LoadPictureRows(path, samplePlaceLastRow(*source.quantity, inputs) + 1);
    ++m_decodes;
    if (loaded.error != 0)
        return std::nullopt;  // gone since it was looked at
    if (entry.grids.size() >= PlacesPerFile)
        entry.grids.clear();
    // A file that does not decode reads as the panels read it: nothing decodable.
    const GridMean grid = samplePlace(loaded.picture, *source.quantity, inputs, source.singlePrecisionSum);
    entry.grids.insert(key, grid);
    return grid;
}

MeteogramStep readMeteogramStep(const PanelInputs &inputs, MapSampleMemo &memo)
{
    MeteogramStep result;
    result.step = inputs.step;
    result.read = true;
    for (const MeteogramSource &source : meteogramSources()) {
        const QString path = quantityMapPath(inputs.cacheDir, *source.quantity, inputs.step);
        if (const std::optional<GridMean> grid = memo.sample(path, source, inputs))
            result.means[std::size_t(source.quantity->role)] = grid->mean;
        else
            ++result.missing;
    }
    return result;
}

QVector<MapNeed> meteogramMissing(const QString &cacheDir, int lastStep)
{
    QVector<MapNeed> needs;
    for (int step = 0; step <= lastStep; ++step) {
        for (const MeteogramSource &source : meteogramSources()) {
            const QString path = quantityMapPath(cacheDir, *source.quantity, step);
            if (!path.isEmpty() && !QFileInfo::exists(path))
                needs.append(MapNeed{step, source.quantity->what});
        }
    }
    return needs;
}

// --- MeteogramSeries ---

MeteogramSeries::MeteogramSeries(QObject *parent) : QObject(parent)
{
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &MeteogramSeries::readSlice);
}

void MeteogramSeries::start(const PanelInputs &place, int lastStep)
{
    m_place = place;
    m_steps = QVector<MeteogramStep>(qMax(0, lastStep + 1));
    for (int s = 0; s < m_steps.size(); ++s)
        m_steps[s].step = s;
    rereadAll();
}

void MeteogramSeries::reread(int step)
{
    if (step < 0 || step >= m_steps.size() || m_pending.contains(step))
        return;
    m_pending.append(step);
    m_slice.start();
}

void MeteogramSeries::rereadAll()
{
    m_pending.clear();
    for (int s = 0; s < m_steps.size(); ++s)
        m_pending.append(s);
    m_slice.start();
}

void MeteogramSeries::readSlice()
{
    QElapsedTimer clock;
    clock.start();
    while (!m_pending.isEmpty() && clock.elapsed() < SliceMs) {
        PanelInputs inputs = m_place;
        inputs.step = m_pending.takeFirst();
        m_steps[inputs.step] = readMeteogramStep(inputs, m_memo);
    }
    Q_EMIT changed();
    if (m_pending.isEmpty())
        Q_EMIT completed();
    else
        m_slice.start();
}
