#include "forecast/geometry.h"

#include <QTest>

class TestGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convert_data()
    {
        QTest::addColumn<QPointF>("d1");
        QTest::addColumn<QPointF>("d2");
        QTest::addColumn<float>("tolerance");
        // The triangle's corners are the reference of the whole map: exact on purpose.
        QTest::newRow("origin") << QPointF(6675, 5655) << QPointF(4860, 5715) << 0.f;
        QTest::newRow("first axis") << QPointF(7830, 5325) << QPointF(6705, 5655) << 0.f;
        QTest::newRow("second axis") << QPointF(6975, 6825) << QPointF(4920, 7440) << 0.f;
        QTest::newRow("default place, far outside") << QPointF(4000, 4000) << QPointF(1394.63, 2500.51) << 0.01f;
    }
    void convert()
    {
        QFETCH(QPointF, d1);
        QFETCH(QPointF, d2);
        QFETCH(float, tolerance);
        float x2 = -1, y2 = -1, backX = -1, backY = -1;
        ConvertD1TOD2(float(d1.x()), float(d1.y()), x2, y2);
        QVERIFY2(qAbs(x2 - float(d2.x())) <= tolerance && qAbs(y2 - float(d2.y())) <= tolerance,
                 qPrintable(QStringLiteral("got %1 %2").arg(x2).arg(y2)));
        convertD2ToD1(x2, y2, backX, backY);
        QVERIFY(qAbs(backX - float(d1.x())) < 0.1f && qAbs(backY - float(d1.y())) < 0.1f);
    }

    void parallelAxesLeaveResultAlone_data()
    {
        QTest::addColumn<QPointF>("d1");
        QTest::addColumn<QPointF>("d2");
        QTest::newRow("same direction") << QPointF(1, 0) << QPointF(2, 0);
        QTest::newRow("zero axis") << QPointF(0, 0) << QPointF(5, 7);
    }
    void parallelAxesLeaveResultAlone()
    {
        QFETCH(QPointF, d1);
        QFETCH(QPointF, d2);
        float u = 7.5f, v = -3.25f;
        GetBaryCoord(12, 34, 1, 2, d1.x(), d1.y(), d2.x(), d2.y(), u, v);
        QCOMPARE(u, 7.5f);
        QCOMPARE(v, -3.25f);
    }
};

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
