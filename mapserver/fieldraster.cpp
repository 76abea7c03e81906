#include "mapserver/fieldraster.h"

#include "mapserver/framemasks.h"

#include <QHash>
#include <QMutex>

#include <algorithm>
#include <memory>

namespace {

struct LatticePoint {
    float x, y;  // domain 1
    Site site;
};
using Lattice = std::shared_ptr<const QVector<LatticePoint>>;

// The places under a lattice never change: worked out once per frame and picture area.
Lattice latticeFor(MapFrame frame, const QRect &area, int spacing, int cols, int rows)
{
    static QMutex mutex;
    static QHash<QString, Lattice> lattices;
    const QString key = QStringLiteral("%1/%2/%3/%4/%5/%6")
                            .arg(int(frame)).arg(area.left()).arg(area.top()).arg(spacing).arg(cols).arg(rows);
    {
        QMutexLocker lock(&mutex);
        if (const auto it = lattices.constFind(key); it != lattices.constEnd())
            return it.value();
    }
    auto points = std::make_shared<QVector<LatticePoint>>(cols * rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            LatticePoint &p = (*points)[r * cols + c];
            toDomain1(frame, float(area.left() + c * spacing), float(area.top() + r * spacing), p.x, p.y);
            p.site = siteAt(p.x, p.y);
        }
    }
    QMutexLocker lock(&mutex);
    lattices.insert(key, points);
    return points;
}

} // namespace

FieldRaster::FieldRaster(const WeatherModel &model, MapFrame frame, const QRect &area, int spacing)
    : m_area(area)
    , m_spacing(spacing)
    , m_cols(area.width() / spacing + 2)
    , m_rows(area.height() / spacing + 2)
{
    const Lattice lattice = latticeFor(frame, area, spacing, m_cols, m_rows);
    m_samples.resize(m_cols * m_rows);
    for (int i = 0; i < m_samples.size(); ++i) {
        const LatticePoint &p = (*lattice)[i];
        m_samples[i] = model.sample(p.x, p.y, p.site);
    }
}

QVector<float> FieldRaster::plane(float (*quantity)(const WeatherSample &)) const
{
    QVector<float> lattice(m_samples.size());
    for (int i = 0; i < m_samples.size(); ++i)
        lattice[i] = quantity(m_samples[i]);
    const int w = m_area.width();
    const int h = m_area.height();
    QVector<float> out(w * h);
    const float inv = 1.0f / float(m_spacing);
    QVector<int> column(w);
    QVector<float> across(w);
    for (int x = 0; x < w; ++x) {
        column[x] = x / m_spacing;
        across[x] = float(x - column[x] * m_spacing) * inv;
    }
    QVector<float> between(m_cols);  // the lattice interpolated down to this row
    for (int y = 0; y < h; ++y) {
        const int r = y / m_spacing;
        const float ty = float(y - r * m_spacing) * inv;
        const float *top = lattice.constData() + r * m_cols;
        const float *bottom = top + m_cols;
        for (int c = 0; c < m_cols; ++c)
            between[c] = top[c] + (bottom[c] - top[c]) * ty;
        float *line = out.data() + y * w;
        for (int x = 0; x < w; ++x) {
            const int c = column[x];
            line[x] = between[c] + (between[c + 1] - between[c]) * across[x];
        }
    }
    return out;
}

const WeatherSample &FieldRaster::nearest(int px, int py) const
{
    const int c = std::clamp((px - m_area.left() + m_spacing / 2) / m_spacing, 0, m_cols - 1);
    const int r = std::clamp((py - m_area.top() + m_spacing / 2) / m_spacing, 0, m_rows - 1);
    return m_samples[r * m_cols + c];
}
