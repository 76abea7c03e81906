#include "forecast/legends.h"

#include <QSet>
#include <QTest>

namespace {

constexpr double kNoMatch = -999;
// Marks the rows where GetPrec must answer "empty" rather than a number.
constexpr double kEmpty = -1e9;

qint32 rgb(int r, int g, int b) { return qint32(r + 256 * g + 65536 * b); }

using Decoder = Decoded (Legends::*)(qint32) const;

struct Kind {
    const char *key;
    Decoder decode;
    int count;
    double firstStored, lastStored;
};

const Kind kKinds[] = {
    {"temp", &Legends::GetTemp, 31, -45, 45},   {"p850", &Legends::GetP850, 33, -36, 28},
    {"p500", &Legends::GetP500, 31, 480, 600},  {"orag", &Legends::GetOrag, 22, 0, 2500},
    {"vent", &Legends::GetVent, 26, 0, 50},     {"prec", &Legends::GetPrec, 16, 0, 50},
    {"nebu", &Legends::GetNebu, 24, 0, 96},
};

void compareDecoded(const Decoded &d, double expected, const char *what)
{
    const QByteArray where = QByteArray(what);
    if (expected == kEmpty) {
        QVERIFY2(d.isEmpty(), where);
    } else if (expected == kNoMatch) {
        QVERIFY2(d.isNoMatch(), where);
        QCOMPARE(d.value, kNoMatch);
    } else {
        QVERIFY2(d.kind == Decoded::Number, where);
        QVERIFY2(qAbs(d.value - expected) < 1e-9, where + " got " + QByteArray::number(d.value));
    }
}

} // namespace

class TestLegends : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data();
    void decode();
    void legendShape_data();
    void legendShape();
    void everyEntryDecodesToItself_data() { legendShape_data(); }
    void everyEntryDecodesToItself();
    void unknownKindHasNoEntries();
    void emptyIsNotNoMatchAndSumsAsZero();
};

void TestLegends::decode_data()
{
    QTest::addColumn<qint32>("color");
    QTest::addColumn<double>("temp");
    QTest::addColumn<double>("p850");
    QTest::addColumn<double>("p500");
    QTest::addColumn<double>("orag");
    QTest::addColumn<double>("vent");
    QTest::addColumn<double>("nebu");
    QTest::addColumn<double>("prec");

    const double N = kNoMatch;
    const double E = kEmpty;
    QTest::newRow("ramp 0, also last prec entry") << rgb(100, 0, 100) << -44.0 << -36.0 << 480.0 << N << N << N << 50.0;
    QTest::newRow("ramp 5, first wind entry") << rgb(150, 0, 254) << -29.0 << -26.0 << 500.0 << N << 0.0 << N << 25.0;
    QTest::newRow("ramp 9, first storm entry") << rgb(0, 100, 254) << -17.0 << -18.0 << 516.0 << 0.0 << 14.96 << N << 5.0;
    QTest::newRow("ramp 15") << rgb(0, 230, 80) << 1.0 << -6.0 << 540.0 << 400.0 << 37.4 << N << E;
    QTest::newRow("ramp 30, last shared entry") << rgb(200, 0, 100) << 46.0 << 24.0 << 600.0 << 2500.0 << 93.5 << N << E;
    QTest::newRow("ramp 31, p850 only") << rgb(254, 0, 150) << N << 26.0 << N << N << N << N << E;
    QTest::newRow("ramp 32, last p850") << rgb(254, 0, 200) << N << 28.0 << N << N << N << N << E;
    QTest::newRow("ramp 33, in no legend") << rgb(254, 0, 225) << N << N << N << N << N << N << E;
    QTest::newRow("prec 0.1") << rgb(0, 254, 150) << N << N << N << N << N << N << 0.1;
    QTest::newRow("prec 0.5") << rgb(0, 254, 254) << N << N << N << N << N << N << 0.5;
    QTest::newRow("white") << rgb(255, 255, 255) << N << N << N << N << N << N << 0.0;
    QTest::newRow("one step off ramp 15") << rgb(0, 230, 81) << N << N << N << N << N << N << E;
    QTest::newRow("one step off on red") << rgb(1, 230, 80) << N << N << N << N << N << N << E;
    QTest::newRow("black") << rgb(0, 0, 0) << N << N << N << N << N << N << E;
    QTest::newRow("outside picture (-1)") << qint32(-1) << N << N << N << N << N << N << E;
    QTest::newRow("white with bit 24") << qint32(rgb(255, 255, 255) + 16777216) << N << N << N << N << N << N << 0.0;
    QTest::newRow("ramp 15 with bits 24-30") << qint32(rgb(0, 230, 80) | 0x7F000000) << 1.0 << -6.0 << 540.0 << 400.0 << 37.4 << N << E;
    QTest::newRow("ramp 15 with sign bit") << qint32(quint32(rgb(0, 230, 80)) | 0x80000000u) << N << N << N << N << N << N << E;
    QTest::newRow("white with sign bit") << qint32(quint32(rgb(255, 255, 255)) | 0x80000000u) << N << N << N << N << N << N << E;
    QTest::newRow("negative, zero components") << qint32(-16777216) << N << N << N << N << N << N << E;
    QTest::newRow("nebu first") << rgb(20, 20, 20) << N << N << N << N << N << 0.0 << E;
    QTest::newRow("nebu second") << rgb(30, 30, 30) << N << N << N << N << N << 8.0 << E;
    QTest::newRow("nebu last") << rgb(250, 250, 250) << N << N << N << N << N << 96.0 << E;
    QTest::newRow("grey between nebu steps") << rgb(25, 25, 25) << N << N << N << N << N << N << E;
}

void TestLegends::decode()
{
    QFETCH(qint32, color);
    QFETCH(double, temp);
    QFETCH(double, p850);
    QFETCH(double, p500);
    QFETCH(double, orag);
    QFETCH(double, vent);
    QFETCH(double, nebu);
    QFETCH(double, prec);

    compareDecoded(GetTemp(color), temp, "GetTemp");
    compareDecoded(GetP850(color), p850, "GetP850");
    compareDecoded(GetP500(color), p500, "GetP500");
    compareDecoded(GetOrag(color), orag, "GetOrag");
    compareDecoded(GetVent(color), vent, "GetVent");
    compareDecoded(GetNebu(color), nebu, "GetNebu");
    compareDecoded(GetPrec(color), prec, "GetPrec");
    // The no-match marker belongs to six decoders; GetPrec never gives it.
    QVERIFY(!GetPrec(color).isNoMatch());
}

void TestLegends::legendShape_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(kKinds)); ++i)
        QTest::newRow(kKinds[i].key) << i;
}

void TestLegends::legendShape()
{
    QFETCH(int, index);
    const Kind &kind = kKinds[index];
    const QVector<LegendEntry> entries = Legends::instance().entries(kind.key);
    QCOMPARE(entries.size(), kind.count);
    QCOMPARE(entries.first().value, kind.firstStored);
    QCOMPARE(entries.last().value, kind.lastStored);

    QSet<qint32> seen;
    for (const LegendEntry &e : entries) {
        QVERIFY(e.r >= 0 && e.r <= 255 && e.g >= 0 && e.g <= 255 && e.b >= 0 && e.b <= 255);
        const qint32 c = rgb(e.r, e.g, e.b);
        QVERIFY2(!seen.contains(c), qPrintable(QStringLiteral("repeated colour %1,%2,%3").arg(e.r).arg(e.g).arg(e.b)));
        seen.insert(c);
        // Only the precipitation white reaches 255.
        if (e.r == 255 || e.g == 255 || e.b == 255)
            QVERIFY(QByteArray(kind.key) == "prec" && c == rgb(255, 255, 255));
    }
    for (int i = 1; i < entries.size(); ++i)
        QVERIFY2(entries[i].value > entries[i - 1].value, "values rise through the legend");
}

void TestLegends::everyEntryDecodesToItself()
{
    QFETCH(int, index);
    const Kind &kind = kKinds[index];
    const Legends &legends = Legends::instance();
    for (const LegendEntry &e : legends.entries(kind.key)) {
        const Decoded d = (legends.*kind.decode)(rgb(e.r, e.g, e.b));
        double expected = e.value;
        if (QByteArray(kind.key) == "temp")
            expected += 1;
        else if (QByteArray(kind.key) == "vent")
            expected *= 1.87;
        QCOMPARE(d.kind, Decoded::Number);
        QCOMPARE(d.value, expected);
    }
}

void TestLegends::unknownKindHasNoEntries()
{
    QVERIFY(Legends::instance().entries("wind").isEmpty());
    QVERIFY(Legends::instance().entries("").isEmpty());
    QVERIFY(Legends::instance().entries(nullptr).isEmpty());
}

void TestLegends::emptyIsNotNoMatchAndSumsAsZero()
{
    const Decoded samples[] = {GetPrec(rgb(0, 254, 150)), GetPrec(rgb(1, 2, 3)), GetPrec(rgb(0, 150, 254))};
    QVERIFY(samples[1].isEmpty());
    QVERIFY(!samples[1].isNoMatch());
    // Averaging callers skip -999 only: the empty sample still counts, as 0.
    double sum = 0;
    int counted = 0;
    for (const Decoded &d : samples) {
        if (d.isNoMatch())
            continue;
        sum += d.sumValue();
        ++counted;
    }
    QCOMPARE(counted, 3);
    QCOMPARE(sum / counted, 0.7);
    QCOMPARE(Decoded::noMatch().sumValue(), 0.0);
}

QTEST_GUILESS_MAIN(TestLegends)
#include "tst_legends.moc"
