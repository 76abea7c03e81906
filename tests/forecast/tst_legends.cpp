#include "forecast/legends.h"

#include <QTest>

namespace {

constexpr double N = -999;  // no match
constexpr double E = -1e9;  // GetPrec's "empty", which is not a number

qint32 rgb(int r, int g, int b) { return qint32(r + 256 * g + 65536 * b); }

// Stored values are read back as value * scale + shift.
struct Kind {
    const char *key;
    Decoded (Legends::*decode)(qint32) const;
    double scale, shift;
};

const Kind kKinds[] = {
    {"temp", &Legends::GetTemp, 1, 1}, {"p850", &Legends::GetP850, 1, 0}, {"p500", &Legends::GetP500, 1, 0},
    {"orag", &Legends::GetOrag, 1, 0}, {"vent", &Legends::GetVent, 1.87, 0}, {"prec", &Legends::GetPrec, 1, 0},
    {"nebu", &Legends::GetNebu, 1, 0},
};

} // namespace

class TestLegends : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<qint32>("color");
        QTest::addColumn<QList<double>>("expected");  // temp, p850, p500, orag, vent, prec, nebu
        QTest::newRow("ramp 0") << rgb(100, 0, 100) << QList<double>{-44, -36, 480, N, N, 50, N};
        QTest::newRow("ramp 15") << rgb(0, 230, 80) << QList<double>{1, -6, 540, 400, 37.4, E, N};
        QTest::newRow("ramp 31, 850 hPa only") << rgb(254, 0, 150) << QList<double>{N, 26, N, N, N, E, N};
        QTest::newRow("ramp 33, in no legend") << rgb(254, 0, 225) << QList<double>{N, N, N, N, N, E, N};
        QTest::newRow("white") << rgb(255, 255, 255) << QList<double>{N, N, N, N, N, 0, N};
        QTest::newRow("one step off ramp 15") << rgb(0, 230, 81) << QList<double>{N, N, N, N, N, E, N};
        QTest::newRow("outside picture (-1)") << qint32(-1) << QList<double>{N, N, N, N, N, E, N};
        QTest::newRow("white with bit 24") << rgb(255, 255, 255) + 16777216 << QList<double>{N, N, N, N, N, 0, N};
        QTest::newRow("first grey") << rgb(20, 20, 20) << QList<double>{N, N, N, N, N, E, 0};
        QTest::newRow("last grey") << rgb(250, 250, 250) << QList<double>{N, N, N, N, N, E, 96};
    }
    void decode()
    {
        QFETCH(qint32, color);
        QFETCH(QList<double>, expected);
        for (int i = 0; i < expected.size(); ++i) {
            const Decoded d = (Legends::instance().*kKinds[i].decode)(color);
            QVERIFY2(d.isNoMatch() == (expected[i] == N), kKinds[i].key);
            QVERIFY2(qAbs((d.isEmpty() ? E : d.value) - expected[i]) < 1e-9, kKinds[i].key);
        }
    }

    // A colour listed twice with two values would fail here too.
    void everyEntryDecodesToItself()
    {
        for (const Kind &kind : kKinds) {
            for (const LegendEntry &e : Legends::instance().entries(kind.key)) {
                const Decoded d = (Legends::instance().*kind.decode)(rgb(e.r, e.g, e.b));
                QVERIFY2(d.kind == Decoded::Number, kind.key);
                QCOMPARE(d.value, e.value * kind.scale + kind.shift);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLegends)
#include "tst_legends.moc"
