#include "viewer/picturebox.h"

#include <QSignalSpy>
#include <QTest>

namespace {

qint32 bgr(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A 2 x 2 picture with four distinct colours: red, green / blue, white.
QImage quadrants()
{
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 255, 0));
    img.setPixel(0, 1, qRgb(0, 0, 255));
    img.setPixel(1, 1, qRgb(255, 255, 255));
    return img;
}

QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 8, y * 9, 7));
    return img;
}

} // namespace

class TstPictureBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pointColour_data();
    void pointColour();
    void pointOutside_data();
    void pointOutside();
    void paintStretched_data();
    void paintStretched();
    void paintRegionUnscaled();
    void outline();
    void holderTakesPictureSize();
    void drawingKeptWhenGrown();
    void printAdvancesLine();
    void mouseSignalsInTwips();
};

void TstPictureBox::pointColour_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<qint32>("expected");
    QTest::newRow("black") << QColor(0, 0, 0) << 0;
    QTest::newRow("red is the low byte") << QColor(255, 0, 0) << 0xFF;
    QTest::newRow("green") << QColor(0, 255, 0) << 0xFF00;
    QTest::newRow("blue is the high byte") << QColor(0, 0, 255) << 0xFF0000;
    QTest::newRow("grey 128") << QColor(128, 128, 128) << 0x808080;
    QTest::newRow("light cyan") << QColor(192, 255, 255) << 0xFFFFC0;
    QTest::newRow("white") << QColor(255, 255, 255) << 0xFFFFFF;
}

void TstPictureBox::pointColour()
{
    QFETCH(QColor, colour);
    QFETCH(qint32, expected);
    PictureBox box;
    box.resize(10, 8);
    box.setBackColor(colour);
    QCOMPARE(box.Point(0, 0), expected);
    QCOMPARE(box.Point(9, 7), expected);
    QCOMPARE(box.pointTwips(9 * 15 + 14, 7 * 15), expected);
}

void TstPictureBox::pointOutside_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("left") << QPoint(-1, 0);
    QTest::newRow("top") << QPoint(0, -1);
    QTest::newRow("right edge") << QPoint(10, 0);
    QTest::newRow("bottom edge") << QPoint(0, 8);
    QTest::newRow("far away") << QPoint(100000, -100000);
}

void TstPictureBox::pointOutside()
{
    QFETCH(QPoint, at);
    PictureBox box;
    box.resize(10, 8);
    box.setBackColor(Qt::white);
    QCOMPARE(box.Point(at.x(), at.y()), -1);
}

void TstPictureBox::paintStretched_data()
{
    QTest::addColumn<QRect>("dest");
    QTest::newRow("unscaled") << QRect(3, 4, 2, 2);
    QTest::newRow("x4") << QRect(8, 8, 8, 8);
    QTest::newRow("x8 partly outside") << QRect(-8, -8, 16, 16);
    QTest::newRow("unequal axes") << QRect(2, 2, 8, 4);
}

void TstPictureBox::paintStretched()
{
    QFETCH(QRect, dest);
    PictureBox box;
    box.resize(20, 20);
    box.setBackColor(Qt::black);
    box.paintPicture(quadrants(), dest);

    const int halfW = dest.width() / 2, halfH = dest.height() / 2;
    const struct { int dx, dy; qint32 colour; } cells[] = {
        {0, 0, bgr(255, 0, 0)}, {1, 0, bgr(0, 255, 0)}, {0, 1, bgr(0, 0, 255)}, {1, 1, 0xFFFFFF}};
    for (const auto &cell : cells) {
        // Every pixel of a stretched source pixel holds its exact colour: no smoothing.
        for (int y = 0; y < halfH; ++y) {
            for (int x = 0; x < halfW; ++x) {
                const int px = dest.x() + cell.dx * halfW + x, py = dest.y() + cell.dy * halfH + y;
                if (px < 0 || py < 0)
                    continue;
                QCOMPARE(box.Point(px, py), cell.colour);
            }
        }
    }
    // Outside the destination the canvas keeps its background.
    const QPoint outside = dest.bottomRight() + QPoint(1, 1);
    if (outside.x() < 20 && outside.y() < 20)
        QCOMPARE(box.Point(outside.x(), outside.y()), 0);
}

void TstPictureBox::paintRegionUnscaled()
{
    PictureBox box;
    box.resize(12, 12);
    box.setBackColor(Qt::black);
    const QImage img = gradient(10, 10);
    box.paintPictureRegion(img, QPoint(1, 2), QRect(3, 4, 5, 2));

    auto colourOf = [&](int x, int y) {
        const QRgb c = img.pixel(x, y);
        return bgr(qRed(c), qGreen(c), qBlue(c));
    };
    QCOMPARE(box.Point(1, 2), colourOf(3, 4));
    QCOMPARE(box.Point(5, 3), colourOf(7, 5));
    QCOMPARE(box.Point(6, 2), 0);   // right of the region
    QCOMPARE(box.Point(1, 4), 0);   // below it
    QCOMPARE(box.Point(0, 2), 0);   // left of it
}

void TstPictureBox::outline()
{
    PictureBox box;
    box.resize(12, 12);
    box.setBackColor(Qt::black);
    box.drawRectOutline(QRect(2, 3, 5, 4), Qt::red);
    const qint32 red = 0xFF;
    for (QPoint p : {QPoint(2, 3), QPoint(6, 3), QPoint(2, 6), QPoint(6, 6), QPoint(4, 3), QPoint(2, 5)})
        QCOMPARE(box.Point(p.x(), p.y()), red);
    for (QPoint p : {QPoint(3, 4), QPoint(5, 5), QPoint(7, 3), QPoint(2, 7), QPoint(1, 3)})
        QCOMPARE(box.Point(p.x(), p.y()), 0);
}

void TstPictureBox::holderTakesPictureSize()
{
    PictureBox holder;
    holder.setAutoSize(true);
    holder.hide();
    const QImage img = gradient(30, 17);
    holder.setPicture(img);
    QCOMPARE(holder.size(), QSize(30, 17));
    QCOMPARE(holder.picture().size(), img.size());
    QCOMPARE(holder.Point(29, 16), bgr(232, 144, 7));
    QCOMPARE(holder.Point(30, 0), -1);

    PictureBox fixed;
    fixed.resize(10, 10);
    fixed.setPicture(img);
    QCOMPARE(fixed.size(), QSize(10, 10));
    QCOMPARE(fixed.Point(2, 3), bgr(16, 27, 7));
}

void TstPictureBox::drawingKeptWhenGrown()
{
    PictureBox box;
    box.resize(4, 4);
    box.setBackColor(Qt::black);
    box.drawRectOutline(QRect(0, 0, 1, 1), Qt::blue);
    box.resize(8, 8);
    QCOMPARE(box.Point(0, 0), 0xFF0000);
    QCOMPARE(box.Point(7, 7), 0);
}

void TstPictureBox::printAdvancesLine()
{
    PictureBox box;
    box.resize(200, 60);
    box.setBackColor(Qt::black);
    box.setForeColor(Qt::white);
    box.printText(QStringLiteral("Cliquer sur "));
    const int line = box.printPosition().y();
    QVERIFY(line > 0);
    QCOMPARE(box.printPosition().x(), 0);
    bool inked = false;
    for (int y = 0; y < line && !inked; ++y)
        for (int x = 0; x < 100 && !inked; ++x)
            inked = box.Point(x, y) != 0;
    QVERIFY(inked);
    box.printText(QStringLiteral("x"));
    QCOMPARE(box.printPosition().y(), 2 * line);
    box.clearCanvas();
    QCOMPARE(box.printPosition(), QPoint(0, 0));
}

void TstPictureBox::mouseSignalsInTwips()
{
    PictureBox box;
    box.resize(100, 100);
    box.setMouseTracking(true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QSignalSpy released(&box, &PictureBox::mouseReleased);
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(10, 20));
    QCOMPARE(released.size(), 1);
    QCOMPARE(released[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(released[0][2].toFloat(), 150.0f);
    QCOMPARE(released[0][3].toFloat(), 300.0f);

    QSignalSpy moved(&box, &PictureBox::mouseMoved);
    QTest::mouseMove(&box, QPoint(30, 40));
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last()[2].toFloat(), 450.0f);
    QCOMPARE(moved.last()[3].toFloat(), 600.0f);
}

QTEST_MAIN(TstPictureBox)
#include "tst_picturebox.moc"
