// The demonstration maps: which paths name a map, legend classes, and the pictures themselves
// (legend colours only, the legend strip, the model's value at a place in both map frames).
#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "mapserver/demoserver.h"
#include "mapserver/legendscale.h"
#include "mapserver/maplayout.h"
#include "mapserver/maprender.h"

#include <QtTest>

namespace {

QString describe(const std::optional<MapRequest> &r)
{
    if (!r)
        return {};
    const QString when = r->type == MapRequest::Archive ? r->day.toString(Qt::ISODate) : QString::number(r->step);
    return QString::fromLatin1(r->kind->key) + QLatin1Char(' ') + when;
}

bool isOverlay(QRgb c)
{
    return c == MapLayout::ink || c == MapLayout::gridColour || c == MapLayout::isobarColour || c == MapLayout::borderColour;
}

} // namespace

class TestMapServerMaps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mapPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("map");  // kind and step or day; empty: no map

        QTest::newRow("server 3, query ignored") << "/pics/Rtavn065.gif?x=1" << "temp 0";
        QTest::newRow("orag step 16") << "/wz/pics/Rtavn10211.gif" << "orag 16";
        QTest::newRow("missing zero") << "/wz/pics/Rtavn65.gif" << "";
        QTest::newRow("unknown code") << "/wz/pics/Rtavn066.gif" << "";
        QTest::newRow("beyond the last step") << "/wz/pics/Rtavn9995.gif" << "";
        QTest::newRow("archive, first day") << "/archive/ra/1956/Rrea00119560101.gif" << "p500 1956-01-01";
        QTest::newRow("archive, leap day") << "/archive/ra/2004/Rrea00220040229.gif" << "p850 2004-02-29";
        QTest::newRow("31 February") << "/archive/ra/1990/Rrea00119900231.gif" << "";
        QTest::newRow("folder of another year") << "/archive/ra/1991/Rrea00119900315.gif" << "";
        QTest::newRow("unknown level") << "/archive/ra/1990/Rrea00319900315.gif" << "";
    }

    void mapPaths()
    {
        QFETCH(QString, path);
        QTEST(describe(parseMapPath(path)), "map");
    }

    void legendClasses_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<float>("value");
        QTest::addColumn<double>("classValue");  // what the viewer's decoder reads back

        QTest::newRow("rain below 0.1 is dry") << "prec" << 0.05f << 0.0;
        QTest::newRow("temp reads one above stored") << "temp" << 1.4f << 1.0;
        QTest::newRow("temp to the nearest class") << "temp" << 2.6f << 4.0;
        QTest::newRow("not a number") << "temp" << std::numeric_limits<float>::quiet_NaN() << -44.0;
    }

    void legendClasses()
    {
        QFETCH(QString, kind);
        QFETCH(float, value);
        const LegendScale scale(kind.toLatin1().constData());
        QTEST(scale.classValue(scale.classOf(value)), "classValue");
    }

    void mapPixels_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        for (int k = 0; k < DemoKindCount; ++k) {  // step 3, forecast hour 24
            const DemoKind &kind = demoKinds()[k];
            QTest::newRow(kind.key) << QStringLiteral("/wz/pics/Rtavn24%1.gif").arg(kind.code) << QString::fromLatin1(kind.key);
        }
        QTest::newRow("archive 500") << "/archive/ra/1990/Rrea00119900315.gif" << "p500";
    }

    void mapPixels()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        const bool archive = path.startsWith(QLatin1String("/archive"));
        const QImage image = QImage::fromData(m_server.mapBytes(path), "GIF").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(archive ? MapLayout::archiveWidth : MapLayout::forecastWidth, MapLayout::height));
        QVector<QRgb> legend;  // from the viewer's legends, not from the server's own scale
        for (const LegendEntry &e : Legends::instance().entries(kind.toLatin1().constData()))
            legend.append(qRgb(e.r, e.g, e.b));

        const QRect field = archive ? MapLayout::archiveField : MapLayout::forecastField;
        QSet<QRgb> classes;
        for (int y = field.top(); y <= field.bottom(); ++y) {
            for (int x = field.left(); x <= field.right(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (legend.contains(c))
                    classes.insert(c);
                else if (!isOverlay(c))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2) is %3, in no legend entry").arg(x).arg(y).arg(c, 0, 16)));
            }
        }
        // The weather varies; storm energy may be nil everywhere in winter (the climate test
        // looks at it in July).
        QVERIFY2(classes.size() >= (kind == QLatin1String("orag") ? 1 : 4), qPrintable(QString::number(classes.size())));

        // The colour column the viewer copies, top to bottom with runs collapsed, is the legend.
        const QPoint origin = archive ? MapLayout::archiveLegendOrigin : MapLayout::forecastLegendOrigin;
        QVector<QRgb> strip;
        for (int y = origin.y(); y < origin.y() + MapLayout::legendHeight; ++y) {
            if (strip.isEmpty() || strip.last() != image.pixel(origin.x() + 5, y))
                strip.append(image.pixel(origin.x() + 5, y));
        }
        QCOMPARE(strip, legend);
        if (archive)
            return;

        // The class shown at a place (on a domain-2 map, at the converted place) is the model's there.
        MapRequest request;
        request.kind = demoKindByKey(kind);
        request.step = 3;
        const WeatherModel model = modelFor(request, m_server.runId());
        for (const QPoint place : {QPoint(445, 377), QPoint(280, 300), QPoint(640, 330)}) {
            QPoint at = place;
            if (request.kind->frame == MapFrame::Domain2) {
                float x2 = 0, y2 = 0;
                ConvertD1TOD2(float(place.x() * 15), float(place.y() * 15), x2, y2);
                at = QPoint(int(x2 / 15), int(y2 / 15));
            }
            for (int d = 0; d < 4 && isOverlay(image.pixel(at)); ++d)
                at += QPoint(1, 1);  // past a line drawn over the field
            const int shown = int(legend.indexOf(image.pixel(at)));
            const int expected = LegendScale(request.kind->key).classOf(request.kind->quantity(model.sample(float(place.x()), float(place.y()))));
            QVERIFY2(std::abs(shown - expected) <= 1, qPrintable(QStringLiteral("(%1, %2): class %3 shown, %4 expected")
                                                                     .arg(place.x()).arg(place.y()).arg(shown).arg(expected)));
        }
    }

private:
    DemoMapServer m_server;
};

QTEST_GUILESS_MAIN(TestMapServerMaps)
#include "tst_mapservermaps.moc"
