#include "forecast/decimalformat.h"
#include "forecast/legends.h"
#include "forecast/pointforecast.h"
#include "shell/messages.h"

#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr QRgb OffLegend = 0xff010203;

// The colour of the legend entry holding `stored` (before GetTemp's +1 or GetVent's x1.87).
QRgb legendColour(const char *key, double stored)
{
    for (const LegendEntry &e : Legends::instance().entries(key)) {
        if (e.value == stored)
            return qRgb(e.r, e.g, e.b);
    }
    qFatal("no legend entry %s %f", key, stored);
}

// A 60 x 50 map whose columns x with useA(x) are `a`, the others `b`.
QImage columns(QRgb a, QRgb b, const std::function<bool(int)> &useA)
{
    QImage image(60, 50, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y)
            image.setPixel(x, y, useA(x) ? a : b);
    }
    return image;
}

QImage filled(QRgb colour) { return columns(colour, colour, [](int) { return true; }); }

float twips(double pixel) { return float(pixel * 15); }

} // namespace

class TestPointForecast : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Messages::set(25, QStringLiteral(" km/h"));
        Messages::set(58, QStringLiteral("N/D"));
        Messages::set(73, QStringLiteral(" mm"));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The panels' numbers: one decimal, or whole for the cloud cover.
    void numbers_data()
    {
        QTest::addColumn<bool>("whole");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half away from zero") << false << -12.25 << "-12,3";
        QTest::newRow("no -0,0") << false << -0.04 << "0,0";
        QTest::newRow("no group separator") << false << 1234.5 << "1234,5";
        // Beyond what an integer holds (found by fuzzing: the conversion was undefined).
        QTest::newRow("beyond an integer") << false << -1e20 << "-100000000000000000000,0";
        QTest::newRow("whole: half away from zero") << true << 27.5 << "28";
        QTest::newRow("whole: no -0") << true << -0.4 << "0";
        QTest::newRow("whole: negative half") << true << -2.5 << "-3";
        QTest::newRow("whole: beyond an integer") << true << -1e20 << "-100000000000000000000";
    }
    void numbers()
    {
        QFETCH(bool, whole);
        QFETCH(double, value);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QTEST(whole ? formatWhole(value) : formatOneDecimal(value), "text");
    }

    // One 7 x 7 grid around a place given in pixels; mean -1: nothing decodable.
    void grid_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<double>("mean");
        QTest::addColumn<int>("count");
        const QRgb t1 = legendColour("temp", 0), t4 = legendColour("temp", 3);
        const int temp = int(PanelRole::Temperature), prec = int(PanelRole::Precipitation);
        // Spacing 3 centred on a 1 °C column reads only those; spacing 1 would mix in 4 °C.
        QTest::newRow("temperature every third pixel") << temp << columns(t1, t4, [](int x) { return x % 3 == 0; }) << QPointF(21.9, 20) << 1.0 << 49;
        QTest::newRow("corner: inside samples only") << temp << filled(t4) << QPointF(0, 0) << 4.0 << 16;
        QTest::newRow("nothing in the legend") << temp << filled(OffLegend) << QPointF(20, 20) << -1.0 << 0;
        QTest::newRow("precipitation off the legend is 0") << prec << filled(OffLegend) << QPointF(20, 20) << 0.0 << 49;
        QTest::newRow("precipitation outside the map is 0") << prec << filled(OffLegend) << QPointF(-50, 20) << 0.0 << 49;
    }
    void grid()
    {
        QFETCH(int, role);
        QFETCH(QImage, map);
        QFETCH(QPointF, centre);
        QFETCH(double, mean);
        QFETCH(int, count);
        const GridMean got = sampleGrid(map, PanelTable::series().quantities.at(role), centre.x(), centre.y(), true);
        QCOMPARE(got.count, count);
        QCOMPARE(got.mean.value_or(-1), mean);
    }

    // Step 0: 13 °C, 1 mm, 44 %, -4 °C, 18.7 km/h, 300 J/kg (a storm); step 3 differs in all.
    void panels_data()
    {
        QTest::addColumn<bool>("currentPanel");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("missing");  // a map the fetch cannot bring
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<int>("picto");
        const QStringList at0{"13,0°C", "1,0 mm", "44\u00A0%", "-4,0°C", "18,7 km/h"};
        QTest::newRow("series at step 3") << false << 3 << "" << QStringList{"4,0°C", "5,0 mm", "96\u00A0%", "2,0°C", "3,7 km/h"} << 8;
        // Only the current situation passes the storm index on.
        QTest::newRow("series at step 0") << false << 0 << "" << at0 << 7;
        QTest::newRow("current ignores the step") << true << 3 << "" << at0 << 13;
        QTest::newRow("series without temperature") << false << 0 << "temp0" << QStringList{"N/D", "1,0 mm", "44\u00A0%", "-4,0°C", "18,7 km/h"} << 10;
        QTest::newRow("series without cloud cover") << false << 0 << "nebu0" << QStringList{"13,0°C", "1,0 mm", "NC", "-4,0°C", "18,7 km/h"} << 7;
        QTest::newRow("current without storm map") << true << 0 << "orag0" << at0 << 7;
        QTest::newRow("no pictogram file") << true << 0 << "picto" << at0 << 13;
    }
    void panels()
    {
        QFETCH(bool, currentPanel);
        QFETCH(int, step);
        QFETCH(QString, missing);
        QFETCH(QStringList, labels);
        QFETCH(int, picto);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QTemporaryDir dir;
        const double values[2][6] = {{12, 1, -4, 10, 300, 120}, {3, 5, 2, 2, 0, 250}};
        for (int i = 0; i < 2; ++i) {
            const double *v = values[i];
            const QRgb colours[] = {legendColour("temp", v[0]), legendColour("prec", v[1]), legendColour("p850", v[2]),
                                    legendColour("vent", v[3]), legendColour("orag", v[4]), qRgb(v[5], v[5], v[5])};
            const char *keys[] = {"temp", "prec", "p850", "vent", "orag", "nebu"};
            for (int k = 0; k < 6; ++k)
                QVERIFY(filled(colours[k]).save(dir.filePath(QStringLiteral("%1%2.png").arg(keys[k]).arg(i * 3)), "PNG"));
        }
        QFile::remove(dir.filePath(missing + ".png"));

        const QString programDir = missing == u"picto" ? dir.path() : qEnvironmentVariable("CARTAVENT_DATA_DIR");
        PanelInputs in{dir.path(), programDir, step, twips(20), twips(20), twips(20), twips(20)};
        QList<QPair<int, int>> fetched;
        bool ok = missing.isEmpty();  // true: a retry of the display was under way; the panel still ends it
        QImage work;
        const PanelTable &table = currentPanel ? PanelTable::current() : PanelTable::series();
        const PanelResult r = computePanel(table, in, ok, [&](int heure, int what) { fetched.append({heure, what}); }, work);
        QCOMPARE(r.labelTexts(), labels);
        QCOMPARE(int(r.pictogram), picto);
        QCOMPARE(fetched.size(), missing.endsWith(u'0') ? 1 : 0);
        QVERIFY(!ok);
        QCOMPARE(r.pictogramImage.isNull(), missing == u"picto");
    }

    // While the display's own retry runs (OK set) a missing map gets no fetch here, and the
    // picture an earlier read left in the work holder is not taken for it.
    void missingMapDuringDisplayRetry()
    {
        QTemporaryDir dir;
        PanelInputs in{dir.path(), qEnvironmentVariable("CARTAVENT_DATA_DIR"), 0, twips(20), twips(20), twips(20), twips(20)};
        bool ok = true;
        QImage work = filled(legendColour("temp", 12));
        int fetches = 0;
        const PanelResult r = computePanel(PanelTable::series(), in, ok, [&](int, int) { ++fetches; }, work);
        QCOMPARE(r.labelTexts().first(), QStringLiteral("N/D"));
        QCOMPARE(fetches, 4);  // the four other maps, once each
        QVERIFY(!ok);
    }
};

QTEST_GUILESS_MAIN(TestPointForecast)
#include "tst_pointforecast.moc"
