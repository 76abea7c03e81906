#include "mapserver/mappainter.h"

#include "mapserver/bitmapfont.h"
#include "mapserver/fieldraster.h"
#include "mapserver/framemasks.h"
#include "mapserver/legendscale.h"
#include "mapserver/maplayout.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

bool is(const DemoKind &kind, const char *key)
{
    return qstrcmp(kind.key, key) == 0;
}

void paintField(QImage &image, const QRect &area, const QVector<float> &values, const LegendScale &scale)
{
    const int w = area.width();
    for (int y = 0; y < area.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(area.top() + y)) + area.left();
        const float *v = values.constData() + y * w;
        int cls = 0;
        for (int x = 0; x < w; ++x) {
            cls = scale.classOf(v[x], cls);
            line[x] = scale.colour(cls);
        }
    }
}

// Marks pixels where the value crosses a multiple of interval (to the right or below).
void paintContours(QImage &image, const QRect &area, const QVector<float> &values, float interval, QRgb colour)
{
    const int w = area.width();
    QVector<int> band(values.size());
    const float inv = 1.0f / interval;
    for (int i = 0; i < values.size(); ++i)
        band[i] = int(std::floor(values[i] * inv));
    for (int y = 0; y + 1 < area.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(area.top() + y)) + area.left();
        const int *here = band.constData() + y * w;
        for (int x = 0; x + 1 < w; ++x) {
            if (here[x] != here[x + 1] || here[x] != here[x + w])
                line[x] = colour;
        }
    }
}

void paintMasks(QImage &image, const QRect &area, MapFrame frame)
{
    const FrameMasks &masks = frameMasks(frame);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const quint8 *flags = masks.flags.constData() + y * masks.width;
        for (int x = area.left(); x <= area.right(); ++x) {
            const quint8 f = flags[x];
            if (f <= FrameMasks::Land)
                continue;
            if (f & FrameMasks::Coast)
                line[x] = MapLayout::ink;
            else if (f & FrameMasks::Border)
                line[x] = MapLayout::borderColour;
            else if (f & FrameMasks::Grid)
                line[x] = MapLayout::gridColour;
        }
    }
}

// Arrows on a regular lattice, pointing where the wind blows, longer when it is stronger.
void paintWindArrows(QImage &image, const QRect &area, const FieldRaster &raster, MapFrame frame)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor::fromRgb(MapLayout::ink));
    p.setClipRect(area);
    constexpr int spacing = 38;
    for (int py = area.top() + spacing / 2; py < area.bottom(); py += spacing) {
        for (int px = area.left() + spacing / 2; px < area.right(); px += spacing) {
            const WeatherSample &w = raster.nearest(px, py);
            if (w.wind < 3)
                continue;
            // The wind's direction is known in domain 1; carry it into the picture's frame.
            float dx = w.windX / w.wind, dy = w.windY / w.wind;
            if (frame == MapFrame::Domain2) {
                float x1 = 0, y1 = 0;
                toDomain1(frame, float(px), float(py), x1, y1);
                const QPointF step = fromDomain1(frame, x1 + dx, y1 + dy) - fromDomain1(frame, x1, y1);
                const float len = std::hypot(step.x(), step.y());
                dx = step.x() / len;
                dy = step.y() / len;
            }
            const float length = std::min(24.0f, 7.0f + w.wind * 0.45f);
            const QPointF tail(px - dx * length / 2, py - dy * length / 2);
            const QPointF head(px + dx * length / 2, py + dy * length / 2);
            p.drawLine(tail, head);
            // Two barbs of the head, 30 degrees either side of the shaft.
            const float c = std::cos(0.52f), s = std::sin(0.52f);
            p.drawLine(head, head - QPointF(5 * (dx * c - dy * s), 5 * (dx * s + dy * c)));
            p.drawLine(head, head - QPointF(5 * (dx * c + dy * s), 5 * (-dx * s + dy * c)));
        }
    }
}

struct PressureCentre {
    QPoint at;
    bool low;
    float prominence;  // hPa above or below the ring around it
};

// Lattice points lower (higher) than everything within 50 pixels, and by at least 1 hPa
// below (above) the mean 120 pixels out: where the pressure really has its minima and
// maxima, merged lows included, broad highs too.
QVector<PressureCentre> pressureCentres(const FieldRaster &raster)
{
    const int near = std::max(2, 50 / raster.spacing());
    const int far = std::max(near + 1, 120 / raster.spacing());
    const int cols = raster.columns();
    const int rows = raster.rows();
    auto p = [&](int c, int r) { return raster.at(c, r).mslp; };
    // Calls visit(pressure, squared distance) for the lattice points within radius of (c, r).
    auto around = [&](int c, int r, int radius, auto visit) {
        for (int dr = -radius; dr <= radius; ++dr) {
            for (int dc = -radius; dc <= radius; ++dc) {
                const int d2 = dr * dr + dc * dc;
                if (d2 == 0 || d2 > radius * radius || r + dr < 0 || r + dr >= rows || c + dc < 0 || c + dc >= cols)
                    continue;
                if (!visit(p(c + dc, r + dr), d2))
                    return;
            }
        }
    };
    QVector<PressureCentre> found;
    // Two lattice points in from the edge: a lowest point on the edge is the map's, not the weather's.
    for (int r = 2; r + 2 < rows; ++r) {
        for (int c = 2; c + 2 < cols; ++c) {
            const float here = p(c, r);
            bool lowest = true, highest = true;
            around(c, r, 1, [&](float there, int) {
                lowest = lowest && here < there;
                highest = highest && here > there;
                return lowest || highest;
            });
            if (!lowest && !highest)
                continue;
            bool extreme = true;
            around(c, r, near, [&](float there, int) { return extreme = lowest ? there >= here : there <= here; });
            if (!extreme)
                continue;
            float sum = 0;
            int count = 0;
            around(c, r, far, [&](float there, int d2) {
                if (d2 > (far - 1) * (far - 1)) {
                    sum += there;
                    ++count;
                }
                return true;
            });
            const float prominence = count ? std::abs(sum / count - here) : 0.0f;
            if (prominence >= 1.0f)
                found.append({raster.area().topLeft() + QPoint(c, r) * raster.spacing(), lowest, prominence});
        }
    }
    std::sort(found.begin(), found.end(), [](const PressureCentre &a, const PressureCentre &b) { return a.prominence > b.prominence; });
    return found;
}

// "D" on every pressure minimum, "A" on every maximum, centred on it.
void paintPressureCentres(QImage &image, const QRect &area, const FieldRaster &raster)
{
    QVector<QPoint> marked;
    for (const PressureCentre &c : pressureCentres(raster)) {
        const QPoint corner = c.at - QPoint(5, 7);
        if (!area.adjusted(2, 2, -12, -16).contains(corner))
            continue;
        if (std::any_of(marked.cbegin(), marked.cend(), [&](const QPoint &p) { return (p - c.at).manhattanLength() < 40; }))
            continue;
        marked.append(c.at);
        BitmapFont::drawText(image, corner.x(), corner.y(), c.low ? QStringLiteral("D") : QStringLiteral("A"), MapLayout::ink, 2);
    }
}

} // namespace

QImage paintMap(const DemoKind &kind, bool archive, const WeatherModel &model, const MapCaption &caption)
{
    const QRect area = archive ? MapLayout::archiveField : MapLayout::forecastField;
    QImage image(archive ? MapLayout::archiveWidth : MapLayout::forecastWidth, MapLayout::height, QImage::Format_RGB32);
    image.fill(MapLayout::background);

    const FieldRaster raster(model, kind.frame, area);
    const LegendScale scale(kind.key);
    const QVector<float> values = raster.plane(kind.quantity);
    paintField(image, area, values, scale);

    paintMasks(image, area, kind.frame);
    if (is(kind, "p500"))
        paintContours(image, area, values, 8.0f, MapLayout::ink);
    if (is(kind, "prec") || is(kind, "nebu")) {
        const QVector<float> pressure = raster.plane([](const WeatherSample &w) { return w.mslp; });
        paintContours(image, area, pressure, 5.0f, MapLayout::isobarColour);
        paintPressureCentres(image, area, raster);
    }
    if (is(kind, "vent"))
        paintWindArrows(image, area, raster, kind.frame);

    drawFieldFrame(image, area);
    drawCaption(image, caption);
    const QPoint legend = archive ? MapLayout::archiveLegendOrigin : MapLayout::forecastLegendOrigin;
    drawLegendStrip(image, legend, scale, QString::fromUtf8(kind.unit));
    drawSidePanel(image, legend.x());
    return image;
}
