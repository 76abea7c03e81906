#include "viewer/picturebox.h"

#include <QSignalSpy>
#include <QTest>

class TstPictureBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pointColour();
    void mouseMoveInTwips();
};

// The colour as one integer, red in the low byte; -1 outside the picture.
void TstPictureBox::pointColour()
{
    PictureBox box;
    box.resize(10, 8);
    box.setBackColor(QColor(192, 255, 255));
    QCOMPARE(box.Point(9, 7), 0xFFFFC0);
    QCOMPARE(box.pointTwips(9 * 15 + 14, 7 * 15), 0xFFFFC0);
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
