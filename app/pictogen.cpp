// Draws the weather pictograms and writes them as GIF files:
//   cartavent-pictogen OUTDIR [SHEET.png]
// The optional sheet shows every pictogram enlarged on light and dark grounds.
#include "gif/colourreduction.h"
#include "gif/gifencoder.h"
#include "shell/offscreen.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 48;
// Half-covered edge pixels are blended onto the usual panel colour: GIF has no partial alpha.
const QColor kPanel(0xef, 0xef, 0xef);

// ---- drawing ---------------------------------------------------------------

void drawSun(QPainter &p, QPointF c, qreal r)
{
    // Rays in proportion to the disc, so a small sun stays inside the picture.
    p.setPen(QPen(QColor(0xf0, 0x9a, 0x00), qMax(1.6, r * 0.22), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = qDegreesToRadians(45.0 * i + 22.5);
        const QPointF dir(qCos(a), qSin(a));
        p.drawLine(c + dir * (r * 1.3), c + dir * (r * 1.72));
    }
    QRadialGradient fill(c - QPointF(r / 3, r / 3), r * 1.4);
    fill.setColorAt(0, QColor(0xff, 0xf0, 0x70));
    fill.setColorAt(1, QColor(0xff, 0xb8, 0x00));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0xe0, 0x88, 0x00), 1.0));
    p.drawEllipse(c, r, r);
}

enum class Cloud { Light, Grey, Dark };

QPainterPath cloudPath(const QRectF &box)
{
    const qreal x = box.x(), y = box.y(), w = box.width(), h = box.height();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addRoundedRect(QRectF(x, y + h * 0.5, w, h * 0.5), h * 0.25, h * 0.25);
    path.addEllipse(QPointF(x + w * 0.28, y + h * 0.58), h * 0.32, h * 0.32);
    path.addEllipse(QPointF(x + w * 0.54, y + h * 0.42), h * 0.42, h * 0.42);
    path.addEllipse(QPointF(x + w * 0.78, y + h * 0.62), h * 0.30, h * 0.30);
    return path.simplified();
}

void drawCloud(QPainter &p, const QRectF &box, Cloud shade)
{
    QColor top, bottom, edge;
    switch (shade) {
    case Cloud::Light:
        top = QColor(0xff, 0xff, 0xff), bottom = QColor(0xd4, 0xdc, 0xe6), edge = QColor(0x7a, 0x86, 0x94);
        break;
    case Cloud::Grey:
        top = QColor(0xd0, 0xd5, 0xdc), bottom = QColor(0x98, 0xa2, 0xae), edge = QColor(0x5c, 0x66, 0x72);
        break;
    case Cloud::Dark:
        top = QColor(0x8c, 0x94, 0xa0), bottom = QColor(0x4e, 0x56, 0x62), edge = QColor(0x30, 0x36, 0x3e);
        break;
    }
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setBrush(fill);
    p.setPen(QPen(edge, 1.0));
    p.drawPath(cloudPath(box));
}

void drawOvercast(QPainter &p, const QRectF &front, Cloud shade)
{
    const Cloud back = shade == Cloud::Light ? Cloud::Grey : Cloud::Dark;
    drawCloud(p, front.translated(front.width() * 0.22, -front.height() * 0.32).adjusted(0, 0, -front.width() * 0.2, -front.height() * 0.15), back);
    drawCloud(p, front, shade);
}

void drawDrops(QPainter &p, const std::vector<QPointF> &tops, qreal length)
{
    p.setPen(QPen(QColor(0x1e, 0x6e, 0xe0), 2.2, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF &t : tops)
        p.drawLine(t, t + QPointF(-length * 0.35, length));
}

void drawFlakes(QPainter &p, const std::vector<QPointF> &centres, qreal r)
{
    p.setPen(QPen(QColor(0x2a, 0x7c, 0xd8), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF &c : centres) {
        for (int i = 0; i < 3; ++i) {
            const qreal a = qDegreesToRadians(60.0 * i + 90.0);
            const QPointF d(qCos(a) * r, qSin(a) * r);
            p.drawLine(c - d, c + d);
        }
    }
}

void drawBolt(QPainter &p, QPointF origin, qreal scale)
{
    const QPointF shape[] = {{6, 0}, {12, 0}, {8.5, 7}, {13, 7}, {3, 20}, {6, 10}, {1.5, 10}};
    QPolygonF bolt;
    for (const QPointF &pt : shape)
        bolt << origin + pt * scale;
    p.setBrush(QColor(0xff, 0xd8, 0x10));
    p.setPen(QPen(QColor(0xc8, 0x70, 0x00), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.drawPolygon(bolt);
}

// Cloud boxes shared by the pictograms so that the set looks alike.
const QRectF kBigCloud(3, 14, 42, 26);
const QRectF kRainCloud(3, 6, 42, 24);
const QRectF kSunnyRainCloud(8, 10, 38, 22);

// Sunny intervals with showers, of rain or of snow.
void drawSunnyShowerCloud(QPainter &p)
{
    drawSun(p, {13, 13}, 7);
    drawCloud(p, kSunnyRainCloud, Cloud::Light);
}

const std::vector<QPointF> kLightDrops{{16, 34}, {26, 34}, {36, 34}};
const std::vector<QPointF> kHeavyDrops{{12, 33}, {20, 35}, {28, 33}, {36, 35}, {44, 33}};
const std::vector<QPointF> kLightFlakes{{16, 39}, {27, 42}, {38, 39}};
const std::vector<QPointF> kHeavyFlakes{{10, 37}, {20, 43}, {24, 35}, {34, 43}, {38, 35}, {44, 42}};

struct Pictogram {
    int number;
    std::function<void(QPainter &)> draw;
};

const std::vector<Pictogram> &pictograms()
{
    static const std::vector<Pictogram> all{
        {1, [](QPainter &p) { drawSun(p, {24, 24}, 10); }},
        {4, [](QPainter &p) {
             drawSun(p, {20, 19}, 9.5);
             drawCloud(p, QRectF(20, 26, 26, 17), Cloud::Light);
         }},
        {5, [](QPainter &p) {
             drawSun(p, {16, 16}, 8.5);
             drawCloud(p, kBigCloud, Cloud::Light);
         }},
        {6, [](QPainter &p) { drawOvercast(p, kBigCloud, Cloud::Grey); }},
        {7, [](QPainter &p) {
             drawSunnyShowerCloud(p);
             drawDrops(p, kLightDrops, 8);
         }},
        {8, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Dark);
             drawDrops(p, kHeavyDrops, 11);
         }},
        {10, [](QPainter &p) {
             drawSunnyShowerCloud(p);
             drawFlakes(p, kLightFlakes, 4);
         }},
        {11, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Grey);
             drawFlakes(p, kLightFlakes, 4);
         }},
        {12, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Dark);
             drawFlakes(p, kHeavyFlakes, 3.8);
         }},
        {13, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Dark);
             drawBolt(p, {16, 24}, 1.15);
         }},
        {14, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Grey);
             drawDrops(p, kLightDrops, 8);
         }},
        {18, [](QPainter &p) {
             drawOvercast(p, kRainCloud, Cloud::Dark);
             drawDrops(p, {{11, 33}, {38, 33}, {44, 35}}, 10);
             drawBolt(p, {17, 24}, 1.1);
         }},
    };
    return all;
}

// ---- colour reduction ------------------------------------------------------

// Opaque or clear pixels only: edges are blended onto the panel colour.
QImage flatten(const QImage &drawn)
{
    QImage out = drawn.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a < 90) {
                line[x] = 0;
                continue;
            }
            auto blend = [a](int c, int bg) { return (c * a + bg * (255 - a) + 127) / 255; };
            line[x] = qRgb(blend(qRed(line[x]), kPanel.red()), blend(qGreen(line[x]), kPanel.green()),
                           blend(qBlue(line[x]), kPanel.blue()));
        }
    }
    return out;
}

QImage render(const Pictogram &picto)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    picto.draw(p);
    p.end();
    return reduceColours(flatten(image), 255);
}

QImage contactSheet(const QStringList &files)
{
    constexpr int scale = 4, cell = kSize * scale + 16;
    const QColor grounds[] = {kPanel, QColor(0x40, 0x40, 0x40)};
    QImage sheet(cell * int(files.size()) / 2, cell * 4 + 40, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int i = 0; i < files.size(); ++i) {
        const QImage picto(files[i]);
        for (int g = 0; g < 2; ++g) {
            const QRect area((i % (files.size() / 2)) * cell, (i / (files.size() / 2) * 2 + g) * cell + 20, cell, cell);
            p.fillRect(area, grounds[g]);
            p.drawImage(QRect(area.x() + 8, area.y() + 8, kSize * scale, kSize * scale), picto);
            p.setPen(g ? Qt::white : Qt::black);
            p.drawText(area.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, QFileInfo(files[i]).fileName());
        }
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    runOffscreenUnlessPlatformSet();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: cartavent-pictogen OUTDIR [SHEET.png]\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args[1]));
        return 1;
    }
    QStringList written;
    for (const Pictogram &picto : pictograms()) {
        const QByteArray gif = encodeGif(render(picto), true);
        const QString path = out.filePath(QStringLiteral("pt_%1.gif").arg(picto.number));
        QFile file(path);
        if (gif.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(gif) != gif.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        written << path;
    }
    if (args.size() == 3 && !contactSheet(written).save(args[2])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
