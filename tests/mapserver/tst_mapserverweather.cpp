// The demonstration maps as a forecaster reads them: real places on land or at sea, fields
// that agree with the pressure pattern, seasons and the same bytes for the same map.
#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "mapserver/bitmapfont.h"
#include "mapserver/demoserver.h"
#include "mapserver/framemasks.h"
#include "mapserver/geography.h"
#include "mapserver/maplayout.h"
#include "mapserver/mappath.h"
#include "mapserver/maprender.h"
#include "mapserver/projection.h"

#include <QDateTime>
#include <QTimeZone>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

qint32 pixelColour(const QImage &image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return qRed(c) | qGreen(c) << 8 | qBlue(c) << 16;
}

int runAt(int year, int month, int day, int hour)
{
    return clockRunId(QDateTime(QDate(year, month, day), QTime(hour, 0), QTimeZone::utc()).toSecsSinceEpoch());
}

MapRequest forecast(const char *key, int step)
{
    MapRequest r;
    r.kind = demoKindByKey(QString::fromLatin1(key));
    r.step = step;
    return r;
}

QImage render(const MapRequest &request, int run)
{
    return renderMap(request, run).convertToFormat(QImage::Format_RGB32);
}

// The runs and steps the consistency checks look at: every season, short and long leads.
struct Case {
    const char *name;
    int run;
    int step;
};

QVector<Case> cases()
{
    QVector<Case> out;
    const char *const months[] = {"January", "April", "July", "October"};
    for (int m = 0; m < 4; ++m) {
        for (int step : {0, 7, 15}) {
            static QList<QByteArray> names;  // row names must outlive the rows
            names.append(QByteArray(months[m]) + " +" + QByteArray::number(6 * (step + 1)) + " h");
            out.append({names.last().constData(), runAt(2026, 1 + 3 * m, 15 - 4 * m, 6 * m), step});
        }
    }
    return out;
}

struct Label {
    QPoint centre;
    bool low;
};

// "D" and "A" as the map shows them: every place in the field where all pixels of the glyph
// are ink and most of the rest of its box is not.
QVector<Label> pressureLabels(const QImage &map)
{
    QVector<Label> labels;
    for (const bool low : {true, false}) {
        QImage glyph(10, 14, QImage::Format_RGB32);
        glyph.fill(Qt::white);
        BitmapFont::drawText(glyph, 0, 0, low ? QStringLiteral("D") : QStringLiteral("A"), MapLayout::ink, 2);
        QVector<QPoint> ink, paper;
        for (int y = 0; y < glyph.height(); ++y) {
            for (int x = 0; x < glyph.width(); ++x)
                (glyph.pixel(x, y) == MapLayout::ink ? ink : paper).append(QPoint(x, y));
        }
        const QRect field = MapLayout::forecastField;
        for (int y = field.top(); y + glyph.height() <= field.bottom(); ++y) {
            for (int x = field.left(); x + glyph.width() <= field.right(); ++x) {
                const QPoint corner(x, y);
                if (!std::all_of(ink.cbegin(), ink.cend(), [&](const QPoint &p) { return map.pixel(corner + p) == MapLayout::ink; }))
                    continue;
                const auto blank = std::count_if(paper.cbegin(), paper.cend(), [&](const QPoint &p) { return map.pixel(corner + p) != MapLayout::ink; });
                if (blank * 5 >= paper.size() * 4)
                    labels.append({corner + QPoint(5, 7), low});
            }
        }
    }
    return labels;
}

// Mean of the decoded values of the map pixels that pass the filter; the count goes to count.
template<typename Decode, typename Filter>
double meanOver(const QImage &map, const QRect &field, Decode decode, Filter keep, int *count = nullptr)
{
    double sum = 0;
    int n = 0;
    for (int y = field.top(); y <= field.bottom(); ++y) {
        for (int x = field.left(); x <= field.right(); ++x) {
            if (!keep(x, y))
                continue;
            const Decoded d = decode(pixelColour(map, x, y));
            if (d.isNoMatch())
                continue;  // an overlay
            sum += d.sumValue();
            ++n;
        }
    }
    if (count)
        *count = n;
    return n ? sum / n : 0.0;
}

// Land in a latitude band of a frame, as the maps' own masks draw it.
std::function<bool(int, int)> landBetween(MapFrame frame, float south, float north, bool land = true)
{
    return [=](int x, int y) {
        const FrameMasks &masks = frameMasks(frame);
        if (masks.has(x, y, FrameMasks::Land) != land)
            return false;
        float x1 = 0, y1 = 0, lat = 0, lon = 0;
        toDomain1(frame, float(x), float(y), x1, y1);
        latLon(x1, y1, lat, lon);
        return lat >= south && lat <= north && lon > -30 && lon < 45;
    };
}

} // namespace

class TestMapServerWeather : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void places_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<bool>("land");

        QTest::newRow("Paris") << 48.86 << 2.35 << true;
        QTest::newRow("Algiers, on its bay") << 36.70 << 3.10 << true;
        QTest::newRow("Ankara") << 39.93 << 32.86 << true;
        QTest::newRow("Marrakech") << 31.63 << -8.00 << true;
        QTest::newRow("Inner Iceland") << 64.80 << -18.50 << true;
        QTest::newRow("Bay of Biscay") << 45.50 << -4.00 << false;
        QTest::newRow("Baltic Sea") << 56.50 << 19.00 << false;
        QTest::newRow("Adriatic Sea") << 43.00 << 15.50 << false;
        QTest::newRow("Aegean Sea") << 38.50 << 25.00 << false;
        QTest::newRow("Atlantic west of Ireland") << 53.00 << -15.00 << false;
        QTest::newRow("Gulf of Bothnia") << 62.50 << 20.00 << false;
    }

    void places()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(bool, land);
        double x = 0, y = 0;
        toPixel(lat, lon, x, y);
        // Where the coastline is drawn from on both kinds of frame, and the climate's land.
        const QPoint d1(qRound(x), qRound(y));
        QVERIFY(MapLayout::forecastField.contains(d1));
        QCOMPARE(frameMasks(MapFrame::Domain1).has(d1.x(), d1.y(), FrameMasks::Land), land);
        QCOMPARE(siteAt(float(x), float(y)).land > 0.5f, land);
        float x2 = 0, y2 = 0;
        ConvertD1TOD2(float(x * 15), float(y * 15), x2, y2);
        const QPoint d2(qRound(x2 / 15), qRound(y2 / 15));
        if (MapLayout::forecastField.contains(d2))
            QCOMPARE(frameMasks(MapFrame::Domain2).has(d2.x(), d2.y(), FrameMasks::Land), land);
    }

    void projectionRoundTrip_data()
    {
        QTest::addColumn<QPointF>("pixel");
        const QRect f = MapLayout::forecastField;
        QTest::newRow("top left") << QPointF(f.topLeft());
        QTest::newRow("bottom right") << QPointF(f.bottomRight());
        QTest::newRow("on the central meridian") << QPointF(372, 300);
        QTest::newRow("off the map") << QPointF(-400.5, 900.25);
    }

    void projectionRoundTrip()
    {
        QFETCH(QPointF, pixel);
        double lat = 0, lon = 0, x = 0, y = 0;
        latLon(pixel.x(), pixel.y(), lat, lon);
        QVERIFY(lat > 0 && lat < 90);
        toPixel(lat, lon, x, y);
        QVERIFY2(std::hypot(x - pixel.x(), y - pixel.y()) < 0.01, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
    }

    void pressureCentres_data()
    {
        QTest::addColumn<int>("run");
        QTest::addColumn<int>("step");
        for (const Case &c : cases())
            QTest::newRow(c.name) << c.run << c.step;
    }

    // Every "D" stands on a pressure minimum and every "A" on a maximum, and the wind on a ring
    // around it turns counter-clockwise round the low, clockwise round the high, near the isobars.
    void pressureCentres()
    {
        QFETCH(int, run);
        QFETCH(int, step);
        const MapRequest request = forecast("prec", step);
        const QVector<Label> labels = pressureLabels(render(request, run));
        QVERIFY(!labels.isEmpty());
        const WeatherModel model = modelFor(request, run);
        const QRect field = MapLayout::forecastField;
        for (const Label &label : labels) {
            const QString where = QStringLiteral("%1 at (%2, %3)").arg(label.low ? "D" : "A").arg(label.centre.x()).arg(label.centre.y());
            QPointF extreme = label.centre;
            float best = model.pressure(label.centre.x(), label.centre.y());
            for (int dy = -60; dy <= 60; dy += 2) {
                for (int dx = -60; dx <= 60; dx += 2) {
                    const QPoint p = label.centre + QPoint(dx, dy);
                    if (dx * dx + dy * dy > 3600 || !field.contains(p))
                        continue;
                    const float there = model.pressure(p.x(), p.y());
                    if (label.low ? there < best : there > best) {
                        best = there;
                        extreme = p;
                    }
                }
            }
            QVERIFY2(QLineF(extreme, label.centre).length() <= 8, qPrintable(where + QStringLiteral(": the extreme is at (%1, %2)").arg(extreme.x()).arg(extreme.y())));

            constexpr float radius = 25;
            const float turn = label.low ? 1.0f : -1.0f;  // counter-clockwise round a low
            for (int k = 0; k < 24; ++k) {
                const float a = float(k) * 2.0f * float(M_PI) / 24.0f;
                const float x = label.centre.x() + radius * std::cos(a), y = label.centre.y() + radius * std::sin(a);
                const WeatherSample w = model.sample(x, y);
                if (w.wind < 1)
                    continue;  // calm: no direction to judge
                // Counter-clockwise on the picture (y points south) along the ring; along the isobar
                // with high pressure on the right, as the wind blows in the northern hemisphere.
                const QPointF ring(turn * std::sin(a), -turn * std::cos(a));
                const QPointF uphill(model.pressure(x + 1, y) - model.pressure(x - 1, y), model.pressure(x, y + 1) - model.pressure(x, y - 1));
                const QPointF isobar = QPointF(uphill.y(), -uphill.x()) / std::hypot(uphill.x(), uphill.y());
                const QPointF wind = QPointF(w.windX, w.windY) / std::hypot(w.windX, w.windY);
                const QString at = where + QStringLiteral(", ring point %1: ").arg(k);
                QVERIFY2(QPointF::dotProduct(wind, ring) > 0, qPrintable(at + QStringLiteral("the wind turns the wrong way")));
                const double off = std::acos(std::clamp(QPointF::dotProduct(wind, isobar), -1.0, 1.0)) * 180 / M_PI;
                QVERIFY2(off < 45, qPrintable(at + QStringLiteral("wind %1 degrees off the isobar").arg(off)));
            }
        }
    }

    // It rains near lows, and hardly under highs.
    void rainNearLows()
    {
        double rain[2] = {0, 0};   // highs, lows
        int pixels[2] = {0, 0};
        for (const Case &c : cases()) {
            const QImage map = render(forecast("prec", c.step), c.run);
            for (const Label &label : pressureLabels(map)) {
                int n = 0;
                const double mean = meanOver(map, MapLayout::forecastField, GetPrec, [&](int x, int y) {
                    return QLineF(QPointF(x, y), label.centre).length() <= 60;
                }, &n);
                rain[label.low] += mean * n;
                pixels[label.low] += n;
            }
        }
        QVERIFY(pixels[0] > 0 && pixels[1] > 0);
        const double nearLows = rain[1] / pixels[1], nearHighs = rain[0] / pixels[0];
        QVERIFY2(nearLows > 0.5 && nearLows >= 4 * nearHighs, qPrintable(QStringLiteral("%1 mm near lows, %2 mm near highs").arg(nearLows).arg(nearHighs)));
    }

    // At 50 N the land is much colder in January than in July, and the Atlantic milder than the
    // continent in January, over a whole day; mountain tops are cold.
    void temperatureSeasons()
    {
        const QImage july = render(forecast("temp", 1), runAt(2026, 7, 15, 0));  // 12 UTC
        auto near = [](double lat, double lon) {
            double x = 0, y = 0;
            toPixel(lat, lon, x, y);
            return [=](int px, int py) { return std::hypot(px - x, py - y) <= 3; };
        };
        const double alps = meanOver(july, MapLayout::forecastField, GetTemp, near(46.5, 9.0));
        const double poValley = meanOver(july, MapLayout::forecastField, GetTemp, near(45.1, 10.5));
        QVERIFY2(alps <= poValley - 8, qPrintable(QStringLiteral("Alps %1, Po valley %2").arg(alps).arg(poValley)));

        auto dayMean = [](int month, std::function<bool(int, int)> where) {
            double sum = 0;
            for (int step = 0; step < 4; ++step)
                sum += meanOver(render(forecast("temp", step), runAt(2026, month, 15, 0)), MapLayout::forecastField, GetTemp, where);
            return sum / 4;
        };
        const double januaryLand = dayMean(1, landBetween(MapFrame::Domain1, 49.5f, 50.5f));
        const double julyLand = dayMean(7, landBetween(MapFrame::Domain1, 49.5f, 50.5f));
        QVERIFY2(januaryLand <= julyLand - 10, qPrintable(QStringLiteral("%1 in January, %2 in July").arg(januaryLand).arg(julyLand)));
        const double januarySea = dayMean(1, landBetween(MapFrame::Domain1, 47.5f, 52.5f, false));
        QVERIFY2(januarySea >= januaryLand + 3, qPrintable(QStringLiteral("sea %1, land %2").arg(januarySea).arg(januaryLand)));
    }

    // Storm energy builds over land on summer afternoons; it is nil in winter.
    void stormEnergy()
    {
        auto mean = [](int month, int runHour, int step, bool land) {
            const QImage map = render(forecast("orag", step), runAt(2026, month, 15, runHour));
            return meanOver(map, MapLayout::forecastField, GetOrag, landBetween(MapFrame::Domain2, 40, 55, land));
        };
        double january = 0;
        for (int step = 0; step < 4; ++step)
            january = std::max(january, mean(1, 0, step, true));
        const double julyAfternoon = mean(7, 6, 0, true);   // 12 UTC
        const double julySea = mean(7, 6, 0, false);
        QVERIFY2(january < 20, qPrintable(QString::number(january)));
        QVERIFY2(julyAfternoon > 250 && julyAfternoon > 3 * julySea,
                 qPrintable(QStringLiteral("land %1, sea %2").arg(julyAfternoon).arg(julySea)));
    }

    // An archive day has the climate of its date, like a forecast.
    void archiveSeasons()
    {
        auto mean = [](const char *path) {
            const QImage map = render(*parseMapPath(QString::fromLatin1(path)), 0);
            return meanOver(map, MapLayout::archiveField, GetP850, landBetween(MapFrame::Domain1, 45, 55));
        };
        const double january = mean("/archive/ra/1980/Rrea00219800115.gif");
        const double july = mean("/archive/ra/1980/Rrea00219800715.gif");
        QVERIFY2(july >= january + 8, qPrintable(QStringLiteral("%1 in January, %2 in July").arg(january).arg(july)));
    }

    void sameBytes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("other");  // a map that must differ from it
        QTest::newRow("forecast, next step") << "/wz/pics/Rtavn244.gif" << "/wz/pics/Rtavn304.gif";
        QTest::newRow("wind, another kind") << "/pics/Rtavn248.gif" << "/pics/Rtavn2411.gif";
        QTest::newRow("archive, another year") << "/archive/ra/1980/Rrea00219800715.gif" << "/archive/ra/1981/Rrea00219810715.gif";
    }

    // The same map from two servers is the same file; another map is another.
    void sameBytes()
    {
        QFETCH(QString, path);
        QFETCH(QString, other);
        DemoMapServer first, second;
        if (first.runId() != second.runId())
            QSKIP("the clock started a new run between the two servers");
        const QByteArray bytes = first.mapBytes(path);
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(second.mapBytes(path), bytes);
        QVERIFY(first.mapBytes(other) != bytes);
    }
};

QTEST_GUILESS_MAIN(TestMapServerWeather)
#include "tst_mapserverweather.moc"
