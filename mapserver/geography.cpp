#include "mapserver/geography.h"

#include "mapserver/maplayout.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

Geography load()
{
    Geography g;
    QFile file(QStringLiteral(":/mapserver/europe.geo"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("mapserver: the geography resource is missing");
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QList<QStringView> parts = QStringView(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QPolygonF points;
        int lon = 0, lat = 0;
        for (int i = 1; i + 1 < parts.size(); i += 2) {
            lon += parts[i].toInt();
            lat += parts[i + 1].toInt();
            points.append(QPointF(lon / 100.0, lat / 100.0));
        }
        (parts.first() == QLatin1String("L") ? g.land : g.borders).append(points);
    }
    return g;
}

QPolygonF toPicture(const QPolygonF &lonLat, PlaceToPixel place)
{
    QPolygonF out;
    out.reserve(lonLat.size());
    // Pixel centres sit on whole coordinates, QPainter's on halves.
    for (const QPointF &p : lonLat)
        out.append(place(p.y(), p.x()) + QPointF(0.5, 0.5));
    return out;
}

QImage blankImage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Running-sum box blur, rows then columns; three passes come close to a Gaussian.
void boxBlur(QVector<float> &v, int w, int h, int radius)
{
    QVector<float> line(std::max(w, h));
    auto pass = [&](int count, int length, int stride, int step) {
        for (int k = 0; k < count; ++k) {
            float *base = v.data() + k * stride;
            for (int i = 0; i < length; ++i)
                line[i] = base[i * step];
            float sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += line[std::clamp(i, 0, length - 1)];
            for (int i = 0; i < length; ++i) {
                base[i * step] = sum / float(2 * radius + 1);
                sum += line[std::min(i + radius + 1, length - 1)] - line[std::max(i - radius, 0)];
            }
        }
    };
    pass(h, w, w, 1);
    pass(w, h, 1, w);
}

QPointF domain1Pixel(double lat, double lon)
{
    double x = 0, y = 0;
    toPixel(lat, lon, x, y);
    return {x, y};
}

// The land share near and far of every domain-1 pixel, for the climate.
struct LandField {
    int w = MapLayout::maxWidth;
    int h = MapLayout::height;
    QVector<float> land, inland;

    LandField()
    {
        const QImage mask = landImage(QSize(w, h), domain1Pixel);
        land.resize(w * h);
        for (int y = 0; y < h; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
            for (int x = 0; x < w; ++x)
                land[y * w + x] = qRed(row[x]) > 127 ? 1.0f : 0.0f;
        }
        inland = land;
        for (int i = 0; i < 3; ++i)
            boxBlur(inland, w, h, 22);
        boxBlur(land, w, h, 1);
    }

    static float at(const QVector<float> &v, int w, int h, float x, float y)
    {
        x = std::clamp(x, 0.0f, float(w - 1.001f));
        y = std::clamp(y, 0.0f, float(h - 1.001f));
        const int ix = int(x), iy = int(y);
        const float tx = x - float(ix), ty = y - float(iy);
        const float *r = v.constData() + iy * w + ix;
        const float a = r[0] + (r[1] - r[0]) * tx;
        const float b = r[w] + (r[w + 1] - r[w]) * tx;
        return a + (b - a) * ty;
    }
};

struct Range {
    float lat, lon;         // centre
    float halfLength, halfWidth;  // km
    float bearing;          // of the long axis, degrees from north
    float height;           // km, at the crest
};

// Approximate crests: enough for cold tops and the lee of the big ranges, not a relief map.
const Range kRanges[] = {
    {46.3f, 9.5f, 420, 70, 70, 2.6f},       // Alps, central and eastern
    {44.9f, 6.6f, 170, 60, 0, 2.4f},        // Western Alps
    {42.7f, 0.8f, 220, 45, 100, 2.2f},      // Pyrenees
    {62.0f, 9.0f, 330, 110, 30, 1.3f},      // Scandinavian mountains, south
    {67.5f, 16.5f, 420, 70, 35, 1.1f},      // Scandinavian mountains, north
    {32.0f, -5.0f, 450, 90, 60, 2.3f},      // Atlas
    {47.5f, 25.0f, 250, 55, 160, 1.5f},     // Eastern Carpathians
    {49.2f, 20.5f, 230, 50, 80, 1.4f},      // Western Carpathians
    {45.6f, 24.5f, 180, 40, 90, 1.7f},      // Southern Carpathians
    {42.8f, 44.0f, 500, 70, 118, 3.2f},     // Caucasus
    {43.6f, 17.8f, 380, 75, 135, 1.5f},     // Dinaric Alps
    {45.2f, 2.8f, 140, 100, 0, 1.0f},       // Massif Central
    {57.0f, -4.6f, 150, 70, 40, 0.8f},      // Scottish Highlands
    {42.3f, 13.6f, 380, 45, 135, 1.3f},     // Apennines
    {40.3f, -4.0f, 330, 220, 70, 0.7f},     // Meseta and its sierras
    {37.1f, -3.3f, 200, 50, 70, 1.9f},      // Sierra Nevada and the Betic chain
    {42.7f, 24.5f, 230, 45, 90, 1.5f},      // Balkan mountains
    {41.6f, 23.5f, 160, 90, 150, 1.4f},     // Rhodopes and Pindus
    {39.0f, 35.0f, 520, 230, 80, 1.3f},     // Anatolian plateau
    {72.0f, -40.0f, 900, 420, 10, 2.8f},    // Greenland ice sheet
    {64.8f, -18.5f, 170, 100, 80, 0.9f},    // Iceland
    {58.0f, 59.5f, 900, 60, 0, 0.6f},       // Urals
    {50.3f, 12.5f, 330, 70, 60, 0.7f},      // German uplands
    {36.0f, 3.0f, 450, 60, 80, 1.2f},       // Tell Atlas
};

// A range as an ellipse in domain-1 pixels.
struct Ridge {
    float cx, cy, ux, uy, invLength, invWidth, height;
};

QVector<Ridge> ridges()
{
    QVector<Ridge> out;
    for (const Range &r : kRanges) {
        double cx = 0, cy = 0, nx = 0, ny = 0;
        toPixel(r.lat, r.lon, cx, cy);
        toPixel(r.lat + 0.5, r.lon, nx, ny);
        // Half a degree of latitude is 55.6 km; its direction on the map is north there.
        const double pxPerKm = std::hypot(nx - cx, ny - cy) / 55.6;
        const double northX = (nx - cx) / std::hypot(nx - cx, ny - cy);
        const double northY = (ny - cy) / std::hypot(nx - cx, ny - cy);
        const double b = r.bearing * M_PI / 180.0;
        // East is north turned a quarter clockwise (y points south).
        const double ux = northX * std::cos(b) - northY * std::sin(b);
        const double uy = northY * std::cos(b) + northX * std::sin(b);
        out.append({float(cx), float(cy), float(ux), float(uy), float(1.0 / (r.halfLength * pxPerKm)),
                    float(1.0 / (r.halfWidth * pxPerKm)), r.height});
    }
    return out;
}

// Height of the ground in km from the table of ranges, land or not.
float terrainHeight(float x, float y)
{
    static const QVector<Ridge> all = ridges();
    float h = 0.12f;
    for (const Ridge &r : all) {
        const float dx = x - r.cx;
        const float dy = y - r.cy;
        const float u = (dx * r.ux + dy * r.uy) * r.invLength;
        const float v = (-dx * r.uy + dy * r.ux) * r.invWidth;
        const float t = 1.0f - (u * u + v * v);
        if (t > 0)
            h = std::max(h, r.height * t * (2.0f - t));
    }
    return h;
}

} // namespace

const Geography &geography()
{
    static const Geography g = load();
    return g;
}

QImage landImage(const QSize &size, PlaceToPixel place)
{
    QImage image = blankImage(size);
    QPainterPath path;  // odd-even: holes in the land (the Caspian) stay sea
    for (const QPolygonF &ring : geography().land)
        path.addPolygon(toPicture(ring, place));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(path, Qt::white);
    return image;
}

QImage borderImage(const QSize &size, PlaceToPixel place)
{
    QImage image = blankImage(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::white, 0));
    for (const QPolygonF &line : geography().borders)
        p.drawPolyline(toPicture(line, place));
    return image;
}

Site siteAt(float x, float y)
{
    static const LandField field;
    Site s;
    s.land = std::clamp(LandField::at(field.land, field.w, field.h, x, y), 0.0f, 1.0f);
    s.inland = LandField::at(field.inland, field.w, field.h, x, y);
    s.height = s.land * terrainHeight(x, y);
    latLon(x, y, s.lat, s.lon);
    return s;
}
