#include "mapserver/framemasks.h"

#include "forecast/geometry.h"
#include "mapserver/geography.h"
#include "mapserver/maplayout.h"

#include <cmath>

void toDomain1(MapFrame frame, float px, float py, float &x, float &y)
{
    if (frame == MapFrame::Domain1) {
        x = px;
        y = py;
        return;
    }
    float tx = 0, ty = 0;
    convertD2ToD1(px * 15.0f, py * 15.0f, tx, ty);
    x = tx / 15.0f;
    y = ty / 15.0f;
}

QPointF fromDomain1(MapFrame frame, float x, float y)
{
    if (frame == MapFrame::Domain1)
        return {x, y};
    float x2 = 0, y2 = 0;
    ConvertD1TOD2(x * 15.0f, y * 15.0f, x2, y2);
    return {x2 / 15.0f, y2 / 15.0f};
}

namespace {

template<MapFrame frame>
QPointF placeIn(double lat, double lon)
{
    double x = 0, y = 0;
    toPixel(lat, lon, x, y);
    return fromDomain1(frame, float(x), float(y));
}

FrameMasks buildMasks(MapFrame frame)
{
    FrameMasks m;
    m.width = MapLayout::maxWidth;
    m.height = MapLayout::height;
    const int n = m.width * m.height;
    m.flags.fill(0, n);
    const QSize size(m.width, m.height);
    const PlaceToPixel place = frame == MapFrame::Domain1 ? placeIn<MapFrame::Domain1> : placeIn<MapFrame::Domain2>;
    const QImage land = landImage(size, place);
    const QImage borders = borderImage(size, place);
    QVector<float> lat(n), lon(n);
    for (int py = 0; py < m.height; ++py) {
        const QRgb *landRow = reinterpret_cast<const QRgb *>(land.constScanLine(py));
        const QRgb *borderRow = reinterpret_cast<const QRgb *>(borders.constScanLine(py));
        for (int px = 0; px < m.width; ++px) {
            const int i = py * m.width + px;
            if (qRed(landRow[px]) > 127)
                m.flags[i] |= FrameMasks::Land;
            if (qRed(borderRow[px]) > 127)
                m.flags[i] |= FrameMasks::Border;
            float x = 0, y = 0;
            toDomain1(frame, float(px), float(py), x, y);
            latLon(x, y, lat[i], lon[i]);
        }
    }
    auto cell = [](float degrees) { return int(std::floor(degrees / 10.0f)); };
    for (int py = 0; py + 1 < m.height; ++py) {
        for (int px = 0; px + 1 < m.width; ++px) {
            const int i = py * m.width + px;
            const bool isLand = m.flags[i] & FrameMasks::Land;
            // The coastline runs along the land side of every land/sea edge.
            for (int j : {i + 1, i + m.width, i - 1, i - m.width}) {
                if (j >= 0 && isLand && !(m.flags[j] & FrameMasks::Land))
                    m.flags[i] |= FrameMasks::Coast;
            }
            const bool crossing = cell(lat[i]) != cell(lat[i + 1]) || cell(lat[i]) != cell(lat[i + m.width])
                || cell(lon[i]) != cell(lon[i + 1]) || cell(lon[i]) != cell(lon[i + m.width]);
            // Dashed, so the field stays readable under the grid.
            if (crossing && (px + py) % 4 != 3)
                m.flags[i] |= FrameMasks::Grid;
        }
    }
    return m;
}

} // namespace

const FrameMasks &frameMasks(MapFrame frame)
{
    static const FrameMasks domain1 = buildMasks(MapFrame::Domain1);
    if (frame == MapFrame::Domain1)
        return domain1;
    static const FrameMasks domain2 = buildMasks(MapFrame::Domain2);
    return domain2;
}
