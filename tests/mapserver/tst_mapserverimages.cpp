// The demonstration maps themselves: exact legend colours, legend strip, consistency
// between the two map frames, and change from step to step, run to run, day to day.
#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "mapserver/demoserver.h"
#include "mapserver/legendscale.h"
#include "mapserver/maplayout.h"
#include "mapserver/mappath.h"
#include "mapserver/maprender.h"

#include <QtTest>

namespace {

QImage decode(const QByteArray &bytes)
{
    return QImage::fromData(bytes, "GIF").convertToFormat(QImage::Format_RGB32);
}

bool isOverlay(QRgb c)
{
    c |= 0xff000000u;
    return c == MapLayout::ink || c == MapLayout::gridColour || c == MapLayout::isobarColour;
}

// The legend pixel nearest to (x, y), skipping lines drawn over the field.
std::optional<QRgb> fieldColourNear(const QImage &image, int x, int y)
{
    for (int r = 0; r <= 3; ++r) {
        for (int dy = -r; dy <= r; ++dy) {
            for (int dx = -r; dx <= r; ++dx) {
                const QRgb c = image.pixel(x + dx, y + dy);
                if (!isOverlay(c))
                    return c;
            }
        }
    }
    return std::nullopt;
}

} // namespace

class TestMapServerImages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldHoldsOnlyLegendColours_data();
    void fieldHoldsOnlyLegendColours();
    void legendStripInOrder_data();
    void legendStripInOrder();
    void placeReadsTheModelOnEveryKind_data();
    void placeReadsTheModelOnEveryKind();
    void mapsChangeBetweenSteps_data();
    void mapsChangeBetweenSteps();
    void newRunChangesTheProbeMap();
    void sameRunGivesSameBytes();
    void archiveFollowsTheSeasons();

private:
    DemoMapServer m_server;
};

static void addAllMaps()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("archive");
    QTest::newRow("temp") << "/wz/pics/Rtavn065.gif" << "temp" << false;
    QTest::newRow("prec") << "/wz/pics/Rtavn184.gif" << "prec" << false;
    QTest::newRow("nebu") << "/wz/pics/Rtavn303.gif" << "nebu" << false;
    QTest::newRow("p850") << "/wz/pics/Rtavn062.gif" << "p850" << false;
    QTest::newRow("orag") << "/wz/pics/Rtavn4211.gif" << "orag" << false;
    QTest::newRow("p500") << "/pics/Rtavn1201.gif" << "p500" << false;
    QTest::newRow("vent") << "/wz/pics/Rtavn1868.gif" << "vent" << false;
    QTest::newRow("archive 500") << "/archive/ra/1990/Rrea00119900315.gif" << "p500" << true;
    QTest::newRow("archive 850") << "/archive/ra/1976/Rrea00219760704.gif" << "p850" << true;
}

void TestMapServerImages::fieldHoldsOnlyLegendColours_data()
{
    addAllMaps();
}

void TestMapServerImages::fieldHoldsOnlyLegendColours()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(bool, archive);
    const QImage image = decode(m_server.mapBytes(path));
    QCOMPARE(image.size(), QSize(archive ? MapLayout::archiveWidth : MapLayout::forecastWidth, MapLayout::height));

    const LegendScale scale(kind.toLatin1().constData());
    for (QRgb overlay : {MapLayout::ink, MapLayout::gridColour, MapLayout::isobarColour})
        QVERIFY(!scale.contains(overlay));
    const QRect field = archive ? MapLayout::archiveField : MapLayout::forecastField;
    qint64 legendPixels = 0;
    QSet<QRgb> classes;
    for (int y = field.top(); y <= field.bottom(); ++y) {
        for (int x = field.left(); x <= field.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (scale.contains(c)) {
                ++legendPixels;
                classes.insert(c);
            } else if (!isOverlay(c)) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) has colour %3, in no legend entry")
                                     .arg(x).arg(y).arg(c & 0xffffff, 6, 16, QLatin1Char('0'))));
            }
        }
    }
    // Lines are thin: the field is mostly weather, and the weather varies.
    QVERIFY2(legendPixels > qint64(field.width()) * field.height() * 85 / 100, qPrintable(QString::number(legendPixels)));
    QVERIFY2(classes.size() >= 4, qPrintable(QString::number(classes.size())));
}

void TestMapServerImages::legendStripInOrder_data()
{
    addAllMaps();
}

void TestMapServerImages::legendStripInOrder()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(bool, archive);
    const QImage image = decode(m_server.mapBytes(path));
    const QPoint origin = archive ? MapLayout::archiveLegendOrigin : MapLayout::forecastLegendOrigin;
    // The colour column the viewer copies, read top to bottom, runs collapsed.
    QVector<QRgb> seen;
    for (int y = origin.y(); y < origin.y() + MapLayout::legendHeight; ++y) {
        const QRgb c = image.pixel(origin.x() + 5, y);
        if (seen.isEmpty() || seen.last() != c)
            seen.append(c);
    }
    QVector<QRgb> expected;
    for (const LegendEntry &e : Legends::instance().entries(kind.toLatin1().constData()))
        expected.append(qRgb(e.r, e.g, e.b));
    QCOMPARE(seen, expected);
}

void TestMapServerImages::placeReadsTheModelOnEveryKind_data()
{
    QTest::addColumn<QPoint>("place");  // domain-1 pixel
    QTest::newRow("centre") << QPoint(445, 377);
    QTest::newRow("west") << QPoint(280, 300);
    QTest::newRow("north") << QPoint(470, 120);
    QTest::newRow("east") << QPoint(640, 330);
    QTest::newRow("south") << QPoint(420, 520);
}

void TestMapServerImages::placeReadsTheModelOnEveryKind()
{
    QFETCH(QPoint, place);
    const int step = 3;
    float x2 = 0, y2 = 0;
    ConvertD1TOD2(float(place.x() * 15), float(place.y() * 15), x2, y2);
    const QPoint place2(int(x2 / 15), int(y2 / 15));
    QVERIFY(MapLayout::forecastField.contains(place2));

    for (const char *key : {"temp", "prec", "nebu", "p850", "p500", "vent", "orag"}) {
        const DemoKind *kind = demoKindByKey(QString::fromLatin1(key));
        MapRequest request;
        request.kind = kind;
        request.step = step;
        const int run = m_server.runId();
        const WeatherModel model = modelFor(request, run);
        const QString path = kind->code == 11 ? QStringLiteral("/wz/pics/Rtavn%1.gif").arg(6 * (step + 1) * 100 + 11, 4, 10, QLatin1Char('0'))
                                              : QStringLiteral("/wz/pics/Rtavn%1.gif").arg(6 * (step + 1) * 10 + kind->code, 3, 10, QLatin1Char('0'));
        const QImage image = decode(m_server.mapBytes(path));
        const QPoint at = kind->frame == MapFrame::Domain2 ? place2 : place;
        const std::optional<QRgb> colour = fieldColourNear(image, at.x(), at.y());
        QVERIFY(colour);
        const LegendScale scale(key);
        int shown = -1;
        for (int i = 0; i < scale.size(); ++i) {
            if (scale.colour(i) == (*colour | 0xff000000u))
                shown = i;
        }
        const int expected = scale.classOf(kind->quantity(model.sample(float(place.x()), float(place.y()))));
        QVERIFY2(std::abs(shown - expected) <= 1,
                 qPrintable(QStringLiteral("%1: class %2 shown, %3 expected").arg(QLatin1String(key)).arg(shown).arg(expected)));
    }
}

void TestMapServerImages::mapsChangeBetweenSteps_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("temp") << "/wz/pics/Rtavn065.gif" << "/wz/pics/Rtavn125.gif";
    QTest::newRow("prec") << "/wz/pics/Rtavn064.gif" << "/wz/pics/Rtavn124.gif";
    QTest::newRow("vent") << "/wz/pics/Rtavn068.gif" << "/wz/pics/Rtavn128.gif";
    QTest::newRow("orag") << "/wz/pics/Rtavn0611.gif" << "/wz/pics/Rtavn1211.gif";
    QTest::newRow("archive, next day") << "/archive/ra/1990/Rrea00219900315.gif" << "/archive/ra/1990/Rrea00219900316.gif";
}

void TestMapServerImages::mapsChangeBetweenSteps()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QImage a = decode(m_server.mapBytes(first));
    const QImage b = decode(m_server.mapBytes(second));
    const QRect field = MapLayout::forecastField;
    int differing = 0;
    for (int y = field.top(); y <= field.bottom(); y += 2) {
        for (int x = field.left(); x <= field.right(); x += 2)
            differing += a.pixel(x, y) != b.pixel(x, y);
    }
    // Moving weather, but not a different world: some of the map changes, not all of it.
    const int total = (field.width() / 2) * (field.height() / 2);
    QVERIFY2(differing > total / 50 && differing < total * 9 / 10, qPrintable(QString::number(differing)));
}

void TestMapServerImages::newRunChangesTheProbeMap()
{
    const QString probe = QStringLiteral("/wz/pics/Rtavn065.gif");
    const int run = m_server.runId();
    const QByteArray before = m_server.mapBytes(probe);
    m_server.newRun();
    QCOMPARE(m_server.runId(), run + 1);
    const QByteArray after = m_server.mapBytes(probe);
    QVERIFY(!after.isEmpty());
    QVERIFY(after != before);
    QVERIFY(after.size() != before.size());
}

void TestMapServerImages::sameRunGivesSameBytes()
{
    // Another server has its own cache: equal bytes mean the maps are deterministic.
    DemoMapServer other;
    while (other.runId() < m_server.runId())
        other.newRun();
    QCOMPARE(other.runId(), m_server.runId());
    for (const char *path : {"/wz/pics/Rtavn2405.gif", "/wz/pics/Rtavn2408.gif", "/archive/ra/1999/Rrea00119991224.gif"})
        QCOMPARE(other.mapBytes(QString::fromLatin1(path)), m_server.mapBytes(QString::fromLatin1(path)));
    QVERIFY(m_server.mapBytes(QStringLiteral("/wz/pics/Rtavn066.gif")).isEmpty());
}

void TestMapServerImages::archiveFollowsTheSeasons()
{
    // Mean 850 hPa temperature over the field, from the colours: July well above January.
    auto meanT850 = [this](const QString &path) {
        const QImage image = decode(m_server.mapBytes(path));
        double sum = 0;
        int count = 0;
        for (int y = MapLayout::archiveField.top(); y <= MapLayout::archiveField.bottom(); y += 3) {
            for (int x = MapLayout::archiveField.left(); x <= MapLayout::archiveField.right(); x += 3) {
                const QRgb c = image.pixel(x, y);
                const Decoded d = GetP850(qint32(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16));
                if (!d.isNoMatch()) {
                    sum += d.value;
                    ++count;
                }
            }
        }
        return sum / qMax(1, count);
    };
    for (int year : {1962, 1988, 2003}) {
        const QString stem = QStringLiteral("/archive/ra/%1/Rrea002%1").arg(year);
        const double january = meanT850(stem + QStringLiteral("0115.gif"));
        const double july = meanT850(stem + QStringLiteral("0715.gif"));
        QVERIFY2(july > january + 6, qPrintable(QStringLiteral("%1: %2 / %3").arg(year).arg(january).arg(july)));
    }
}

QTEST_GUILESS_MAIN(TestMapServerImages)
#include "tst_mapserverimages.moc"
