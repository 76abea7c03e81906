#include "forecast/decimalformat.h"
#include "forecast/legends.h"
#include "forecast/pointforecast.h"
#include "shell/messages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int MapW = 60, MapH = 50;
constexpr QRgb OffLegend = 0xff010203;  // in no legend

// The exact colour of the legend entry holding `stored` (the value before GetTemp's +1
// or GetVent's x1.87).
QRgb legendColour(const char *key, double stored)
{
    for (const LegendEntry &e : Legends::instance().entries(key)) {
        if (e.value == stored)
            return qRgb(e.r, e.g, e.b);
    }
    qFatal("no legend entry %s %f", key, stored);
    return 0;
}

QImage filled(QRgb colour, int w = MapW, int h = MapH)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Columns whose x is congruent to `phase` modulo 3 in `a`, the others in `b`.
QImage stripes(QRgb a, QRgb b, int phase)
{
    QImage image = filled(b);
    for (int x = 0; x < MapW; ++x) {
        if (x % 3 == phase) {
            for (int y = 0; y < MapH; ++y)
                image.setPixel(x, y, a);
        }
    }
    return image;
}

// Columns up to and including lastX in `left`, the rest in `right`.
QImage split(QRgb left, QRgb right, int lastX)
{
    QImage image = filled(right);
    for (int x = 0; x <= lastX; ++x) {
        for (int y = 0; y < MapH; ++y)
            image.setPixel(x, y, left);
    }
    return image;
}

struct MapSet {
    double temp, prec, p850, vent, orag;
    int nebuGrey;  // 20 + 10 k
};

// Step 0: 13 °C, 1 mm, 44 %, -4 °C, 18.7 km/h, 300 J/kg.
const MapSet Step0{12, 1, -4, 10, 300, 120};
// Step 3: 4 °C, 5 mm, 96 %, 2 °C, 3.74 km/h, 0 J/kg.
const MapSet Step3{3, 5, 2, 2, 0, 250};

float twips(double pixel) { return float(pixel * 15); }

struct FetchLog {
    QList<QPair<int, int>> calls;
};

} // namespace

class TestPointForecast : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void format_data();
    void format();
    void panels_data();
    void panels();
    void grid_data();
    void grid();
    void missingMaps_data();
    void missingMaps();
    void failedLoadWhileRetryUnderWay();
    void undecodableFile();
    void missingPictogramFile();

private:
    void writeMap(const QString &name, const QImage &image);
    void writeSet(int step, const MapSet &set);
    PanelResult run(const PanelTable &table, int step, float px, float py, bool &ok,
                    FetchLog *log = nullptr, const std::function<void(int, int)> &extra = {});
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QImage m_work;
};

void TestPointForecast::initTestCase()
{
    Messages::set(25, QStringLiteral(" km/h"));
    Messages::set(58, QStringLiteral("N/D"));
    Messages::set(73, QStringLiteral(" mm"));
}

void TestPointForecast::init()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_work = QImage();
}

void TestPointForecast::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestPointForecast::writeMap(const QString &name, const QImage &image)
{
    QVERIFY(image.save(path(name), "PNG"));
}

void TestPointForecast::writeSet(int step, const MapSet &set)
{
    const QString s = QString::number(step);
    writeMap("temp" + s + ".png", filled(legendColour("temp", set.temp)));
    writeMap("prec" + s + ".png", filled(legendColour("prec", set.prec)));
    writeMap("nebu" + s + ".png", filled(qRgb(set.nebuGrey, set.nebuGrey, set.nebuGrey)));
    writeMap("p850" + s + ".png", filled(legendColour("p850", set.p850)));
    writeMap("orag" + s + ".png", filled(legendColour("orag", set.orag)));
    // The wind map has its own size so the work picture can be recognised afterwards.
    writeMap("vent" + s + ".png", filled(legendColour("vent", set.vent), MapW + step + 1, MapH));
}

PanelResult TestPointForecast::run(const PanelTable &table, int step, float px, float py, bool &ok,
                                   FetchLog *log, const std::function<void(int, int)> &extra)
{
    PanelInputs in;
    in.cacheDir = m_dir->path();
    in.programDir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
    in.step = step;
    in.PlaceX = px;
    in.PlaceY = py;
    // The domain-2 place is given apart: the wind and storm maps must be read there.
    in.PlaceX2 = px + twips(4);
    in.PlaceY2 = py + twips(2);
    auto fetch = [&](int heure, int what) {
        if (log)
            log->calls.append({heure, what});
        if (extra)
            extra(heure, what);
    };
    return computePanel(table, in, ok, fetch, m_work);
}

void TestPointForecast::format_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("fr comma") << "fr_FR" << 12.34 << "12,3";
    QTest::newRow("C point") << "C" << 12.34 << "12.3";
    QTest::newRow("half away from zero") << "fr_FR" << 12.25 << "12,3";
    QTest::newRow("negative half away from zero") << "fr_FR" << -12.25 << "-12,3";
    QTest::newRow("carry into the units") << "fr_FR" << 0.96 << "1,0";
    QTest::newRow("leading zero") << "fr_FR" << 0.5 << "0,5";
    QTest::newRow("small negative rounds to unsigned zero") << "fr_FR" << -0.04 << "0,0";
    QTest::newRow("negative half") << "fr_FR" << -0.05 << "-0,1";
    QTest::newRow("no group separator") << "fr_FR" << 12345.67 << "12345,7";
    QTest::newRow("en no group separator") << "en_US" << 1234.5 << "1234.5";
}

void TestPointForecast::format()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(formatOneDecimal(value), text);
}

void TestPointForecast::panels_data()
{
    QTest::addColumn<bool>("currentPanel");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("picto");
    QTest::addColumn<int>("windStep");  // whose wind map stays in the work picture

    const QStringList at0{"13,0°C", "1,0 mm", "44,0%", "-4,0°C", "18,7 km/h"};
    const QStringList at3{"4,0°C", "5,0 mm", "96,0%", "2,0°C", "3,7 km/h"};
    // Step 0 has 300 J/kg: only the current situation shows the storm (13); the series
    // passes no storm index and gets light rain under 44 % cloud (7).
    QTest::newRow("series at step 3") << false << 3 << at3 << 8 << 3;
    QTest::newRow("series at step 0: no storm pictogram") << false << 0 << at0 << 7 << 0;
    QTest::newRow("current at step 0") << true << 0 << at0 << 13 << 0;
    QTest::newRow("current ignores the selected step") << true << 3 << at0 << 13 << 0;
}

void TestPointForecast::panels()
{
    QFETCH(bool, currentPanel);
    QFETCH(int, step);
    QFETCH(QStringList, labels);
    QFETCH(int, picto);
    QFETCH(int, windStep);

    writeSet(0, Step0);
    writeSet(3, Step3);
    bool ok = true;  // a retry of the display was under way: the panel still ends it
    FetchLog log;
    const PanelTable &table = currentPanel ? PanelTable::current() : PanelTable::series();
    const PanelResult r = run(table, step, twips(20.5), twips(20.5), ok, &log);

    QCOMPARE(r.labelTexts(), labels);
    QCOMPARE(int(r.pictogram), picto);
    QVERIFY(log.calls.isEmpty());
    QVERIFY(!ok);
    QCOMPARE(m_work.width(), MapW + windStep + 1);
    for (const QuantityResult &q : r.quantities)
        QCOMPARE(q.count, 49);
    QVERIFY(r.pictogramPath.endsWith(QStringLiteral("/picto/pt_%1.gif").arg(picto)));
    QVERIFY(!r.pictogramImage.isNull());
}

void TestPointForecast::grid_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QImage>("map");
    QTest::addColumn<float>("placeX");
    QTest::addColumn<float>("placeY");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");

    const QRgb t0 = legendColour("temp", 0);  // 1 °C
    const QRgb t3 = legendColour("temp", 3);  // 4 °C
    const int temp = int(PanelRole::Temperature);
    const int prec = int(PanelRole::Precipitation);
    const int nebu = int(PanelRole::CloudCover);

    // Every third column is 1 °C: a spacing of 3 centred on one reads only those,
    // a spacing of 1 would mix in 4 °C.
    QTest::newRow("temperature samples every third pixel")
        << temp << stripes(t0, t3, 0) << twips(21) << twips(20) << "1,0°C" << 49;
    QTest::newRow("temperature, off the stripes")
        << temp << stripes(t0, t3, 1) << twips(21) << twips(20) << "4,0°C" << 49;
    QTest::newRow("fractional centre falls on its pixel")
        << temp << stripes(t0, t3, 0) << twips(21.93) << twips(20.5) << "1,0°C" << 49;
    QTest::newRow("fractional centre just below a whole pixel")
        << temp << stripes(t0, t3, 0) << twips(20.99) << twips(20) << "4,0°C" << 49;
    QTest::newRow("samples off the legend drop out")
        << temp << split(t3, OffLegend, 21) << twips(21) << twips(20) << "4,0°C" << 28;
    QTest::newRow("top-left corner: inside samples only")
        << temp << filled(t3) << 0.f << 0.f << "4,0°C" << 16;
    QTest::newRow("place outside the map")
        << temp << filled(t3) << twips(-100) << twips(-100) << "N/D" << 0;
    QTest::newRow("nothing in the legend")
        << temp << filled(OffLegend) << twips(20) << twips(20) << "N/D" << 0;
    QTest::newRow("precipitation off the legend is 0 mm")
        << prec << filled(OffLegend) << twips(20) << twips(20) << "0,0 mm" << 49;
    QTest::newRow("precipitation half off the legend")
        << prec << split(OffLegend, legendColour("prec", 2), 19) << twips(20) << twips(20)
        << "1,1 mm" << 49;  // 3 of 7 columns at 0 mm, 4 at 2 mm: 8/7
    QTest::newRow("precipitation outside the map is 0 mm")
        << prec << filled(legendColour("prec", 5)) << twips(-50) << twips(20) << "0,0 mm" << 49;
    QTest::newRow("cloud cover off the legend: NC")
        << nebu << filled(OffLegend) << twips(20) << twips(20) << "NC" << 0;
}

void TestPointForecast::grid()
{
    QFETCH(int, role);
    QFETCH(QImage, map);
    QFETCH(float, placeX);
    QFETCH(float, placeY);
    QFETCH(QString, text);
    QFETCH(int, count);

    const char *keys[] = {"temp", "prec", "nebu"};
    writeMap(QStringLiteral("%1%2.png").arg(keys[role]).arg(2), map);
    bool ok = false;
    const PanelResult r = run(PanelTable::series(), 2, placeX, placeY, ok);
    const QuantityResult &q = r.quantities.at(role);
    QCOMPARE(q.text, text);
    QCOMPARE(q.count, count);
    QCOMPARE(q.mean.has_value(), count > 0);
}

void TestPointForecast::missingMaps_data()
{
    QTest::addColumn<bool>("currentPanel");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("missing");
    QTest::addColumn<bool>("fetchWrites");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("picto");
    QTest::addColumn<int>("fetchedStep");
    QTest::addColumn<int>("fetchedKind");

    const QStringList at0{"13,0°C", "1,0 mm", "44,0%", "-4,0°C", "18,7 km/h"};
    QStringList noTemp = at0;
    noTemp[0] = "N/D";
    QStringList noNebuSeries = at0;
    noNebuSeries[2] = "NC";
    QStringList noNebuCurrent = at0;
    noNebuCurrent[2] = "N/D";

    QTest::newRow("series, temperature not fetchable")
        << false << 0 << "temp0.png" << false << noTemp << 10 << 0 << 1;  // 0 °C under -4 °C aloft: snow
    QTest::newRow("series, cloud cover not fetchable")
        << false << 0 << "nebu0.png" << false << noNebuSeries << 7 << 0 << 3;
    QTest::newRow("current, temperature not fetchable")
        << true << 0 << "temp0.png" << false << noTemp << 13 << 0 << 1;
    QTest::newRow("current, cloud cover not fetchable")
        << true << 0 << "nebu0.png" << false << noNebuCurrent << 13 << 0 << 3;
    QTest::newRow("current, storm not fetchable: no storm pictogram")
        << true << 0 << "orag0.png" << false << at0 << 7 << 0 << 5;
    QTest::newRow("current at step 3, wind fetched for step 0")
        << true << 3 << "vent0.png" << true << at0 << 13 << 0 << 7;
    QTest::newRow("series, cloud cover fetched")
        << false << 0 << "nebu0.png" << true << at0 << 7 << 0 << 3;
}

void TestPointForecast::missingMaps()
{
    QFETCH(bool, currentPanel);
    QFETCH(int, step);
    QFETCH(QString, missing);
    QFETCH(bool, fetchWrites);
    QFETCH(QStringList, labels);
    QFETCH(int, picto);
    QFETCH(int, fetchedStep);
    QFETCH(int, fetchedKind);

    writeSet(0, Step0);
    const QString missingPath = path(missing);
    const QByteArray bytes = [&] {
        QFile f(missingPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(QFile::remove(missingPath));

    FetchLog log;
    auto fetch = [&](int, int) {
        if (fetchWrites) {
            QFile f(missingPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    };
    bool ok = false;
    const PanelTable &table = currentPanel ? PanelTable::current() : PanelTable::series();
    const PanelResult r = run(table, step, twips(20), twips(20), ok, &log, fetch);

    QCOMPARE(r.labelTexts(), labels);
    QCOMPARE(int(r.pictogram), picto);
    QCOMPARE(log.calls.size(), 1);
    QCOMPARE(log.calls.first(), qMakePair(fetchedStep, fetchedKind));
    QVERIFY(!ok);
}

void TestPointForecast::failedLoadWhileRetryUnderWay()
{
    writeSet(4, Step3);
    QVERIFY(QFile::remove(path("temp4.png")));
    QVERIFY(QFile::remove(path("nebu4.png")));
    // The work picture still holds a temperature map from before: it must not be read
    // as this step's temperature.
    m_work = filled(legendColour("temp", 12));

    FetchLog log;
    bool ok = true;
    const PanelResult r = run(PanelTable::series(), 4, twips(20), twips(20), ok, &log);

    QCOMPARE(r.quantities.at(0).text, QStringLiteral("N/D"));
    QVERIFY(!r.mean(PanelRole::Temperature));
    // Only the first quantity met the display's retry: the next missing map is fetched.
    QCOMPARE(log.calls, (QList<QPair<int, int>>{{4, 3}}));
    QCOMPARE(r.quantities.at(2).text, QStringLiteral("NC"));
    QCOMPARE(r.quantities.at(1).text, QStringLiteral("5,0 mm"));
    QVERIFY(!ok);
}

void TestPointForecast::undecodableFile()
{
    writeSet(1, Step3);
    for (const char *name : {"temp1.png", "prec1.png"}) {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("<html>404 Not Found</html>");
    }
    FetchLog log;
    bool ok = false;
    const PanelResult r = run(PanelTable::series(), 1, twips(20), twips(20), ok, &log);

    // An existing file is not fetched again; it simply has nothing to read.
    QVERIFY(log.calls.isEmpty());
    QCOMPARE(r.labelTexts(),
             (QStringList{"N/D", "0,0 mm", "96,0%", "2,0°C", "3,7 km/h"}));
}

void TestPointForecast::missingPictogramFile()
{
    writeSet(0, Step0);
    bool ok = false;
    PanelInputs in;
    in.cacheDir = m_dir->path();
    in.programDir = m_dir->path();  // no picto folder here
    in.PlaceX = in.PlaceY = in.PlaceX2 = in.PlaceY2 = twips(20);
    const PanelResult r = computePanel(PanelTable::current(), in, ok, {}, m_work);
    QCOMPARE(int(r.pictogram), 13);
    QVERIFY(r.pictogramImage.isNull());
    QCOMPARE(r.labelTexts().first(), QStringLiteral("13,0°C"));
}

QTEST_GUILESS_MAIN(TestPointForecast)
#include "tst_pointforecast.moc"
