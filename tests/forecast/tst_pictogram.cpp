#include "forecast/pictogram.h"

#include <QImage>
#include <QTest>
#include <algorithm>
#include <cmath>

class TestPictogram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choice_data()
    {
        QTest::addColumn<float>("temp");
        QTest::addColumn<float>("nebu");
        QTest::addColumn<float>("p850");
        QTest::addColumn<float>("prec");
        QTest::addColumn<float>("orag");
        QTest::addColumn<int>("picto");
        // Dry sky by cloud class, at each class's lower edge.
        QTest::newRow("dry, nebu 9.99") << 10.f << 9.99f << 0.f << 0.f << 0.f << 1;
        QTest::newRow("dry, nebu 10") << 10.f << 10.f << 0.f << 0.f << 0.f << 4;
        QTest::newRow("dry, nebu 30") << 10.f << 30.f << 0.f << 0.f << 0.f << 5;
        QTest::newRow("dry, nebu 70") << 10.f << 70.f << 0.f << 0.f << 0.f << 6;
        // Precipitation class edges.
        QTest::newRow("prec just below 0.1f") << 10.f << 90.f << 0.f << std::nextafter(0.1f, 0.f) << 0.f << 6;
        QTest::newRow("prec 0.1f is light") << 10.f << 90.f << 0.f << 0.1f << 0.f << 14;
        QTest::newRow("prec just below 2") << 10.f << 90.f << 0.f << std::nextafter(2.0f, 0.f) << 0.f << 14;
        QTest::newRow("prec 2 is heavy") << 10.f << 90.f << 0.f << 2.f << 0.f << 8;
        QTest::newRow("light, nebu 69.9") << 10.f << 69.9f << 0.f << 1.f << 0.f << 7;
        // Snow needs temp below 1 and 850 hPa below -2.
        QTest::newRow("heavy snow") << 0.5f << 80.f << -3.f << 3.f << 0.f << 12;
        QTest::newRow("p850 -2 does not snow") << 0.5f << 80.f << -2.f << 3.f << 0.f << 8;
        QTest::newRow("heavy snow, broken cloud") << 0.5f << 50.f << -3.f << 4.f << 0.f << 10;
        QTest::newRow("temp 1 never snows") << 1.f << 90.f << -20.f << 1.f << 0.f << 14;
        QTest::newRow("temp just below 1 snows") << std::nextafter(1.0f, 0.f) << 90.f << -20.f << 1.f << 0.f << 11;
        // Storms override everything else.
        QTest::newRow("orag 200 is quiet") << 10.f << 0.f << 0.f << 0.f << 200.f << 1;
        QTest::newRow("orag 200.5, dry") << 10.f << 0.f << 0.f << 0.f << 200.5f << 13;
        QTest::newRow("storm, heavy snow") << 0.5f << 90.f << -3.f << 10.f << 1000.f << 18;
    }
    void choice()
    {
        QFETCH(float, temp);
        QFETCH(float, nebu);
        QFETCH(float, p850);
        QFETCH(float, prec);
        QFETCH(float, orag);
        QFETCH(int, picto);
        QCOMPARE(int(getpicto(temp, nebu, p850, prec, orag)), picto);
        // The data check looks for the pictures of this list only.
        QVERIFY(std::find(pictogramNumbers.begin(), pictogramNumbers.end(), picto) != pictogramNumbers.end());
    }

    void shippedImages()
    {
        const QString dir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
        for (int n : pictogramNumbers)
            QVERIFY2(!QImage(pictogramFile(dir, n)).isNull(), qPrintable(pictogramFile(dir, n)));
    }
};

QTEST_GUILESS_MAIN(TestPictogram)
#include "tst_pictogram.moc"
