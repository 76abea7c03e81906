#include "forecast/pictogram.h"

#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <cmath>

class TestPictogram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choice_data();
    void choice();
    void fileName_data();
    void fileName();
    void imagesExist_data();
    void imagesExist();
};

void TestPictogram::choice_data()
{
    QTest::addColumn<float>("temp");
    QTest::addColumn<float>("nebu");
    QTest::addColumn<float>("p850");
    QTest::addColumn<float>("prec");
    QTest::addColumn<float>("orag");
    QTest::addColumn<int>("picto");

    // Dry sky by cloud class, with each class's lower edge.
    QTest::newRow("all unavailable") << 0.f << 0.f << 0.f << 0.f << 0.f << 1;
    QTest::newRow("dry, nebu 9.99") << 10.f << 9.99f << 0.f << 0.f << 0.f << 1;
    QTest::newRow("dry, nebu 10") << 10.f << 10.f << 0.f << 0.f << 0.f << 4;
    QTest::newRow("dry, nebu 30") << 10.f << 30.f << 0.f << 0.f << 0.f << 5;
    QTest::newRow("dry, nebu 70") << 10.f << 70.f << 0.f << 0.f << 0.f << 6;
    QTest::newRow("dry, prec 0.09") << 10.f << 90.f << 0.f << 0.09f << 0.f << 6;
    QTest::newRow("dry, snowy air stays dry") << -5.f << 90.f << -10.f << 0.f << 0.f << 6;

    // Precipitation class edges.
    QTest::newRow("prec 0.1f is light") << 10.f << 90.f << 0.f << 0.1f << 0.f << 14;
    QTest::newRow("prec just below 0.1f") << 10.f << 90.f << 0.f << std::nextafter(0.1f, 0.f) << 0.f << 6;
    QTest::newRow("prec just below 2") << 10.f << 90.f << 0.f << std::nextafter(2.0f, 0.f) << 0.f << 14;
    QTest::newRow("prec 2 is heavy") << 10.f << 90.f << 0.f << 2.f << 0.f << 8;
    QTest::newRow("light, nebu 69.9") << 10.f << 69.9f << 0.f << 1.f << 0.f << 7;
    QTest::newRow("heavy, clear sky") << 10.f << 0.f << 0.f << 5.f << 0.f << 7;

    // Snow flag.
    QTest::newRow("heavy snow") << 0.5f << 80.f << -3.f << 3.f << 0.f << 12;
    QTest::newRow("p850 -2 does not snow") << 0.5f << 80.f << -2.f << 3.f << 0.f << 8;
    QTest::newRow("light snow, overcast") << 0.5f << 90.f << -3.f << 1.f << 0.f << 11;
    QTest::newRow("light snow, broken cloud") << 0.5f << 50.f << -3.f << 1.f << 0.f << 10;
    QTest::newRow("heavy snow, broken cloud") << 0.5f << 50.f << -3.f << 4.f << 0.f << 10;
    QTest::newRow("temp 1 never snows") << 1.f << 90.f << -20.f << 1.f << 0.f << 14;
    QTest::newRow("temp just below 1 snows") << std::nextafter(1.0f, 0.f) << 90.f << -20.f << 1.f << 0.f << 11;

    // Storms override everything else.
    QTest::newRow("orag 200 is quiet") << 10.f << 0.f << 0.f << 0.f << 200.f << 1;
    QTest::newRow("orag 200.5, dry") << 10.f << 0.f << 0.f << 0.f << 200.5f << 13;
    QTest::newRow("storm, light snow") << 0.5f << 90.f << -3.f << 1.f << 500.f << 13;
    QTest::newRow("storm, heavy") << 10.f << 5.f << 0.f << 2.f << 1000.f << 18;
    QTest::newRow("storm, heavy snow") << 0.5f << 90.f << -3.f << 10.f << 1000.f << 18;
}

void TestPictogram::choice()
{
    QFETCH(float, temp);
    QFETCH(float, nebu);
    QFETCH(float, p850);
    QFETCH(float, prec);
    QFETCH(float, orag);
    QFETCH(int, picto);
    QCOMPARE(int(getpicto(temp, nebu, p850, prec, orag)), picto);
}

void TestPictogram::fileName_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("file");
    QTest::newRow("one digit") << "/opt/cartavent" << 1 << "/opt/cartavent/picto/pt_1.gif";
    QTest::newRow("two digits") << "/opt/cartavent" << 18 << "/opt/cartavent/picto/pt_18.gif";
    QTest::newRow("trailing slash") << "/opt/cartavent/" << 4 << "/opt/cartavent/picto/pt_4.gif";
}

void TestPictogram::fileName()
{
    QFETCH(QString, dir);
    QFETCH(int, number);
    QFETCH(QString, file);
    QCOMPARE(pictogramFile(dir, number), file);
}

void TestPictogram::imagesExist_data()
{
    QTest::addColumn<int>("number");
    for (int n : {1, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 18})
        QTest::addRow("pt_%d", n) << n;
}

void TestPictogram::imagesExist()
{
    QFETCH(int, number);
    const QString dir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
    QVERIFY2(!dir.isEmpty(), "CARTAVENT_DATA_DIR is not set");
    const QString path = pictogramFile(dir, number);
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QVERIFY(image.width() >= 32 && image.width() <= 64);
    QVERIFY(image.height() >= 32 && image.height() <= 64);
    // A pictogram is drawn on a clear background, and is not blank.
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    QVERIFY(opaque > image.width() * image.height() / 10);
}

QTEST_GUILESS_MAIN(TestPictogram)
#include "tst_pictogram.moc"
