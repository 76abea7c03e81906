#include "forecast/geometry.h"

#include <QTest>

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cornersMapExactly_data();
    void cornersMapExactly();
    void baryCoordinates_data();
    void baryCoordinates();
    void parallelAxesLeaveResultAlone_data();
    void parallelAxesLeaveResultAlone();
    void defaultPlaceIsExtrapolated();
    void inverseUndoesConversion_data();
    void inverseUndoesConversion();
};

void TestGeometry::cornersMapExactly_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<float>("x2");
    QTest::addColumn<float>("y2");
    QTest::newRow("origin") << 6675.f << 5655.f << 4860.f << 5715.f;
    QTest::newRow("first axis") << 7830.f << 5325.f << 6705.f << 5655.f;
    QTest::newRow("second axis") << 6975.f << 6825.f << 4920.f << 7440.f;
}

void TestGeometry::cornersMapExactly()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(float, x2);
    QFETCH(float, y2);
    float gotX = -1, gotY = -1;
    ConvertD1TOD2(x, y, gotX, gotY);
    // Exact equality on purpose: the corners are the reference of the whole map.
    QVERIFY2(gotX == x2 && gotY == y2,
             qPrintable(QStringLiteral("got (%1, %2)").arg(double(gotX), 0, 'g', 10).arg(double(gotY), 0, 'g', 10)));

    float backX = -1, backY = -1;
    convertD2ToD1(x2, y2, backX, backY);
    QVERIFY(qAbs(backX - x) < 0.01f && qAbs(backY - y) < 0.01f);
}

void TestGeometry::baryCoordinates_data()
{
    QTest::addColumn<float>("ax");
    QTest::addColumn<float>("ay");
    QTest::addColumn<float>("d1x");
    QTest::addColumn<float>("d1y");
    QTest::addColumn<float>("d2x");
    QTest::addColumn<float>("d2y");
    QTest::addColumn<float>("u");
    QTest::addColumn<float>("v");
    QTest::newRow("unit axes") << 0.f << 0.f << 1.f << 0.f << 0.f << 1.f << 3.f << -2.f;
    QTest::newRow("swapped axes") << 10.f << 20.f << 0.f << 2.f << 4.f << 0.f << 0.5f << 1.5f;
    QTest::newRow("skewed axes") << 5.f << -5.f << 3.f << 1.f << 1.f << 2.f << 2.f << -1.f;
    QTest::newRow("reference triangle") << 5775.f << 5595.f << 1155.f << -330.f << 300.f << 1170.f << 0.25f << 0.75f;
    QTest::newRow("origin itself") << 7.f << 9.f << 1.f << 1.f << -1.f << 1.f << 0.f << 0.f;
}

void TestGeometry::baryCoordinates()
{
    QFETCH(float, ax);
    QFETCH(float, ay);
    QFETCH(float, d1x);
    QFETCH(float, d1y);
    QFETCH(float, d2x);
    QFETCH(float, d2y);
    QFETCH(float, u);
    QFETCH(float, v);
    const float x = ax + u * d1x + v * d2x;
    const float y = ay + u * d1y + v * d2y;
    float gotU = 99, gotV = 99;
    GetBaryCoord(x, y, ax, ay, d1x, d1y, d2x, d2y, gotU, gotV);
    QVERIFY2(qAbs(gotU - u) < 1e-5f && qAbs(gotV - v) < 1e-5f,
             qPrintable(QStringLiteral("got u=%1 v=%2").arg(double(gotU)).arg(double(gotV))));
}

void TestGeometry::parallelAxesLeaveResultAlone_data()
{
    QTest::addColumn<float>("d1x");
    QTest::addColumn<float>("d1y");
    QTest::addColumn<float>("d2x");
    QTest::addColumn<float>("d2y");
    QTest::newRow("same direction") << 1.f << 0.f << 2.f << 0.f;
    QTest::newRow("opposite direction") << 1.f << 1.f << -3.f << -3.f;
    QTest::newRow("zero axis") << 0.f << 0.f << 5.f << 7.f;
}

void TestGeometry::parallelAxesLeaveResultAlone()
{
    QFETCH(float, d1x);
    QFETCH(float, d1y);
    QFETCH(float, d2x);
    QFETCH(float, d2y);
    float u = 7.5f, v = -3.25f;
    GetBaryCoord(12, 34, 1, 2, d1x, d1y, d2x, d2y, u, v);
    QCOMPARE(u, 7.5f);
    QCOMPARE(v, -3.25f);
}

void TestGeometry::defaultPlaceIsExtrapolated()
{
    float u = 0, v = 0;
    GetBaryCoord(4000 - 900, 4000 - 60, 5775, 5595, 1155, -330, 300, 1170, u, v);
    QVERIFY2(qAbs(u - -1.8156f) < 1e-3f && qAbs(v - -1.9266f) < 1e-3f,
             qPrintable(QStringLiteral("u=%1 v=%2").arg(double(u)).arg(double(v))));

    float x2 = 0, y2 = 0;
    ConvertD1TOD2(4000, 4000, x2, y2);
    QVERIFY2(qAbs(x2 - 1394.63f) < 0.01f && qAbs(y2 - 2500.51f) < 0.01f,
             qPrintable(QStringLiteral("(%1, %2)").arg(double(x2)).arg(double(y2))));
}

void TestGeometry::inverseUndoesConversion_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::newRow("map origin") << 0.f << 0.f;
    QTest::newRow("default place") << 4000.f << 4000.f;
    QTest::newRow("inside triangle") << 7000.f << 6000.f;
    QTest::newRow("far corner of a map") << 13200.f << 9300.f;
    QTest::newRow("off the map") << -3000.f << 15000.f;
    QTest::newRow("fractional") << 1234.5f << 6789.25f;
}

void TestGeometry::inverseUndoesConversion()
{
    QFETCH(float, x);
    QFETCH(float, y);
    float x2 = 0, y2 = 0, backX = 0, backY = 0;
    ConvertD1TOD2(x, y, x2, y2);
    convertD2ToD1(x2, y2, backX, backY);
    // A twip is a fifteenth of a pixel; a tenth of one is far below what a map can show.
    QVERIFY2(qAbs(backX - x) < 0.1f && qAbs(backY - y) < 0.1f,
             qPrintable(QStringLiteral("back at (%1, %2)").arg(double(backX)).arg(double(backY))));
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
