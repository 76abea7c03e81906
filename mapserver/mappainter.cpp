#include "mapserver/mappainter.h"

#include "forecast/geometry.h"
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
        for (int x = 0; x < w; ++x)
            line[x] = scale.colourOf(v[x]);
    }
}

// Marks pixels where the value crosses a multiple of interval (to the right or below).
void paintContours(QImage &image, const QRect &area, const QVector<float> &values, float interval, QRgb colour)
{
    const int w = area.width();
    for (int y = 0; y + 1 < area.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(area.top() + y)) + area.left();
        for (int x = 0; x + 1 < w; ++x) {
            const int i = y * w + x;
            const int here = int(std::floor(values[i] / interval));
            if (here != int(std::floor(values[i + 1] / interval)) || here != int(std::floor(values[i + w] / interval)))
                line[x] = colour;
        }
    }
}

void paintMasks(QImage &image, const QRect &area, MapFrame frame)
{
    const FrameMasks &masks = frameMasks(frame);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (masks.has(x, y, FrameMasks::Coast))
                line[x] = MapLayout::ink;
            else if (masks.has(x, y, FrameMasks::Grid))
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
                float x1 = 0, y1 = 0, ax = 0, ay = 0, bx = 0, by = 0;
                toDomain1(frame, float(px), float(py), x1, y1);
                ConvertD1TOD2(x1 * 15, y1 * 15, ax, ay);
                ConvertD1TOD2((x1 + dx) * 15, (y1 + dy) * 15, bx, by);
                const float len = std::hypot(bx - ax, by - ay);
                dx = (bx - ax) / len;
                dy = (by - ay) / len;
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

// "D" at the centre of every marked low, "A" at every marked high.
void paintPressureCentres(QImage &image, const QRect &area, const WeatherModel &model)
{
    QVector<QPoint> marked;
    for (const PressureSystem &s : model.systems()) {
        if (std::abs(s.amplitude) < 8)
            continue;
        const int x = int(s.x) - 5;
        const int y = int(s.y) - 7;
        if (x < area.left() + 4 || y < area.top() + 4 || x + 14 > area.right() || y + 18 > area.bottom())
            continue;
        // Merging systems get one letter.
        if (std::any_of(marked.cbegin(), marked.cend(), [&](const QPoint &p) { return (p - QPoint(x, y)).manhattanLength() < 60; }))
            continue;
        marked.append(QPoint(x, y));
        BitmapFont::drawText(image, x, y, s.amplitude < 0 ? QStringLiteral("D") : QStringLiteral("A"), MapLayout::ink, 2);
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
        paintPressureCentres(image, area, model);
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
