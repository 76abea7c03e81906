#include "viewer/picturebox.h"

#include <QSignalSpy>
#include <QTest>

class TstPictureBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pointColour_data();
    void pointColour();
    void mouseMoveInTwips();
};

void TstPictureBox::pointColour_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("black") << QColor(0, 0, 0) << 0;
    QTest::newRow("red is the low byte") << QColor(255, 0, 0) << 0xFF;
    QTest::newRow("blue is the high byte") << QColor(0, 0, 255) << 0xFF0000;
    QTest::newRow("light cyan") << QColor(192, 255, 255) << 0xFFFFC0;
}

void TstPictureBox::pointColour()
{
    QFETCH(QColor, colour);
    QFETCH(qint32, expected);
    PictureBox box;
    box.resize(10, 8);
    box.setBackColor(colour);
    QCOMPARE(box.Point(9, 7), expected);
    QCOMPARE(box.pointTwips(9 * 15 + 14, 7 * 15), expected);
    for (QPoint outside : {QPoint(-1, 0), QPoint(0, -1), QPoint(10, 0), QPoint(0, 8)})
        QCOMPARE(box.Point(outside.x(), outside.y()), -1);
}

// Clicks are covered through the window; moves reach it only through this signal.
void TstPictureBox::mouseMoveInTwips()
{
    PictureBox box;
    box.resize(100, 100);
    box.setMouseTracking(true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy moved(&box, &PictureBox::mouseMoved);
    QTest::mouseMove(&box, QPoint(30, 40));
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last()[2].toFloat(), 450.0f);
    QCOMPARE(moved.last()[3].toFloat(), 600.0f);
}

QTEST_MAIN(TstPictureBox)
#include "tst_picturebox.moc"
