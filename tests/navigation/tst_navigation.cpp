// Zoom, pan, the value box, the choice of a place and archive browsing in the window,
// offscreen, against the demonstration map server.
#include "viewer/form1.h"
#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "tests/windowpanels/formharness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

using Colours = QList<qint32>;

namespace {

QColor colour(qint32 bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
qint32 rgb(int r, int g, int b) { return qint32(r + 256 * g + 65536 * b); }

const qint32 Ramp14 = rgb(0, 230, 120);  // temp -2, 850 hPa -8
const qint32 Ramp15 = rgb(0, 230, 80);   // temp 1, 850 hPa -6, 500 hPa 540
const qint32 Ramp18 = rgb(254, 254, 0);  // temp 10
const qint32 Ramp33 = rgb(254, 0, 225);  // in no legend
const qint32 Prec1 = rgb(0, 200, 254);   // 1 mm

// A square picture, column by column: the first `n` columns of a, the rest of b.
QImage columns(int side, int n, qint32 a, qint32 b)
{
    QImage img(side, side, QImage::Format_RGB32);
    for (int x = 0; x < side; ++x)
        for (int y = 0; y < side; ++y)
            img.setPixelColor(x, y, colour(x < n ? a : b));
    return img;
}

QString longDate(int y, int m, int d) { return QLocale::system().toString(QDate(y, m, d), QLocale::LongFormat); }

} // namespace

class TstNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void zoomLimits_data();
    void zoomLimits();
    void panUpDownRestores();
    void panMovesMap_data();
    void panMovesMap();
    void placeFromClick_data();
    void placeFromClick();
    void readout_data();
    void readout();
    void readoutOffKeepsBoxHidden();
    void scrollBarSetsDay_data();
    void scrollBarSetsDay();
    void draggingSetsDateOnly();
    void animationCrossesYears_data();
    void animationCrossesYears();
    void archiveFetch_data();
    void archiveFetch();
    void refusedFetchLeavesTransferFlag();

private:
    FormHarness m_h;
};

void TstNavigation::initTestCase()
{
    QVERIFY(m_h.start());
}

void TstNavigation::init()
{
    m_h.resetSettings();
    m_h.server.clearFaults();
}

void TstNavigation::zoomLimits_data()
{
    QTest::addColumn<float>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("presses");
    QTest::addColumn<float>("zoom");

    QTest::newRow("in three times") << 1.f << "Command4" << 3 << 8.f;
    QTest::newRow("in at 8 stays 8") << 8.f << "Command4" << 1 << 8.f;
    QTest::newRow("in from 4 twice stops at 8") << 4.f << "Command4" << 2 << 8.f;
    QTest::newRow("out at 1 stays 1") << 1.f << "Command5" << 1 << 1.f;
    QTest::newRow("out from 8 twice") << 8.f << "Command5" << 2 << 2.f;
    QTest::newRow("out from 2 many times") << 2.f << "Command5" << 5 << 1.f;
}

void TstNavigation::zoomLimits()
{
    QFETCH(float, start);
    QFETCH(QString, button);
    QFETCH(int, presses);
    QFETCH(float, zoom);
    auto form = m_h.makeForm();
    form->Zoom = start;
    const float x = form->OffsetX, y = form->OffsetY;
    const int refreshes = form->refreshCount;
    for (int i = 0; i < presses; ++i)
        form->findChild<QPushButton *>(button)->click();
    QCOMPARE(form->Zoom, zoom);
    QCOMPARE(form->refreshCount, refreshes + presses);  // each press redraws, even at a limit
    QCOMPARE(form->OffsetX, x);  // zooming keeps the corner's map point
    QCOMPARE(form->OffsetY, y);
}

void TstNavigation::panUpDownRestores()
{
    auto form = m_h.makeForm();
    form->Command4->click();
    const QImage before = form->Picture1->canvas();
    const float y = form->OffsetY;
    form->Command6->click();
    QCOMPARE(form->OffsetY, y + 1000);
    QVERIFY(form->Picture1->canvas() != before);
    form->Command7->click();
    QCOMPARE(form->OffsetY, y);
    QCOMPARE(form->Picture1->canvas(), before);
}

void TstNavigation::panMovesMap_data()
{
    QTest::addColumn<float>("zoom");
    QTest::newRow("zoom 1") << 1.f;
    QTest::newRow("zoom 2") << 2.f;
}

void TstNavigation::panMovesMap()
{
    QFETCH(float, zoom);
    auto form = m_h.makeForm();
    // The marker off the map: only the map itself is compared.
    form->PlaceX = form->PlaceY = -100000;
    ConvertD1TOD2(form->PlaceX, form->PlaceY, form->PlaceX2, form->PlaceY2);
    form->Zoom = zoom;
    form->RefreshPicture();
    const QImage before = form->Picture1->canvas();
    const float x0 = form->OffsetX;
    for (int i = 0; i < 4; ++i)
        form->Command8->click();
    QCOMPARE(form->OffsetX, x0 + 4000);
    const QImage after = form->Picture1->canvas();

    // The map corner lands on the pixel holding offset x zoom twips.
    const int shift = int(std::floor((x0 + 4000) * zoom / 15)) - int(std::floor(x0 * zoom / 15));
    QVERIFY(qAbs(shift - 4000 * zoom / 15) < 1);  // 4000 x zoom twips, to the pixel
    int compared = 0;
    for (int y = 0; y < after.height(); y += 3) {
        for (int x = shift; x < after.width(); ++x, ++compared)
            QCOMPARE(after.pixel(x, y), before.pixel(x - shift, y));
    }
    QVERIFY(compared > 0);
    // What the map uncovered is background, not the old picture.
    QCOMPARE(after.pixel(0, after.height() / 2), qRgb(0, 0, 0));
}

void TstNavigation::placeFromClick_data()
{
    QTest::addColumn<float>("zoom");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QString>("place");

    // Offsets -2900, -3060: map point (4400, 4260) shows at pixel (100, 80) x zoom.
    QTest::newRow("zoom 1") << 1.f << int(Qt::LeftButton) << QPoint(100, 80) << "4400 4260";
    QTest::newRow("zoom 2, same map point") << 2.f << int(Qt::LeftButton) << QPoint(200, 160) << "4400 4260";
    QTest::newRow("zoom 4, same map point") << 4.f << int(Qt::LeftButton) << QPoint(400, 320) << "4400 4260";
    QTest::newRow("zoom 2, half a unit rounds down") << 2.f << int(Qt::LeftButton) << QPoint(201, 161) << "4407 4267";
    QTest::newRow("corner of the box") << 1.f << int(Qt::LeftButton) << QPoint(1, 1) << "2915 3075";
    QTest::newRow("right button chooses nothing") << 1.f << int(Qt::RightButton) << QPoint(100, 80) << "4000 4000";
}

void TstNavigation::placeFromClick()
{
    QFETCH(float, zoom);
    QFETCH(int, button);
    QFETCH(QPoint, pixel);
    QFETCH(QString, place);
    auto form = m_h.makeForm();
    form->Zoom = zoom;
    form->RefreshPicture();
    const int refreshes = form->refreshCount;
    QTest::mouseRelease(form->Picture1, Qt::MouseButton(button), {}, pixel);

    QCOMPARE(form->Label4->text(), place);
    const QStringList xy = place.split(QLatin1Char(' '));
    QCOMPARE(form->PlaceX, xy[0].toFloat());
    QCOMPARE(form->PlaceY, xy[1].toFloat());
    float x2 = 0, y2 = 0;
    ConvertD1TOD2(form->PlaceX, form->PlaceY, x2, y2);
    QCOMPARE(form->PlaceX2, x2);
    QCOMPARE(form->PlaceY2, y2);
    QCOMPARE(form->refreshCount, refreshes + (button == Qt::LeftButton ? 1 : 0));
}

void TstNavigation::readout_data()
{
    QTest::addColumn<bool>("archive");
    QTest::addColumn<QString>("option");  // the current-run kind; in archive mode also the level
    QTest::addColumn<QString>("level");
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QPoint>("at");       // pixel where the picture goes and the pointer is
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QString>("text");

    const QImage uniform15 = columns(5, 5, Ramp15, Ramp15);
    const QPoint mid(100, 100), centre(102, 102);
    QTest::newRow("temperature") << false << "Option1" << "" << uniform15 << mid << centre << "1°C";
    QTest::newRow("storm outside its legend") << false << "Option5" << "" << columns(5, 5, Ramp33, Ramp33) << mid
                                              << centre << "N/D";
    QTest::newRow("archive 850 reads 850 whatever kind")
        << true << "Option1" << "Option11" << uniform15 << mid << centre << "-6°C";
    QTest::newRow("archive 500 reads 500 whatever kind")
        << true << "Option4" << "Option10" << uniform15 << mid << centre << "540 dam";
    // At the corner 9 of the 25 points are on the box: a column of -2 and two of 10.
    QTest::newRow("top-left corner: only points on the box")
        << false << "Option1" << "" << columns(3, 1, Ramp14, Ramp18) << QPoint(0, 0) << QPoint(0, 0) << "6°C";
    QTest::newRow("bottom-right corner, rain")
        << false << "Option3" << "" << columns(3, 3, Prec1, Prec1) << QPoint(541, 397) << QPoint(543, 399)
        << "1 mm";
}

void TstNavigation::readout()
{
    QFETCH(bool, archive);
    QFETCH(QString, option);
    QFETCH(QString, level);
    QFETCH(QImage, picture);
    QFETCH(QPoint, at);
    QFETCH(QPoint, pointer);
    QFETCH(QString, text);
    auto form = m_h.makeForm(false);
    Messages::set(58, QStringLiteral("N/D"));
    Messages::set(73, QStringLiteral(" mm"));
    Messages::set(77, QStringLiteral(" dam"));
    form->findChild<QRadioButton *>(option)->setChecked(true);
    if (archive) {
        form->findChild<QRadioButton *>(level)->setChecked(true);
        form->Option9->setChecked(true);
    }
    // Choosing redraws; the test picture goes on top afterwards.
    form->Picture1->paintPicture(picture, QRect(at, picture.size()));
    form->Label34->setText(QStringLiteral("stale"));

    form->Picture1_MouseMove(Qt::NoButton, {}, pointer.x() * 15.f, pointer.y() * 15.f);
    QCOMPARE(form->Label34->text(), text);
    QVERIFY(!form->Label34->isHidden());
    QCOMPARE(form->Label34->pos(), pointer + QPoint(20, 20));  // 300 twips right and down
}

void TstNavigation::readoutOffKeepsBoxHidden()
{
    auto form = m_h.makeForm(false);
    form->Picture1->paintPicture(columns(5, 5, Ramp15, Ramp15), QRect(100, 100, 5, 5));
    form->Picture1_MouseMove(Qt::NoButton, {}, 102 * 15.f, 102 * 15.f);
    QVERIFY(!form->Label34->isHidden());
    const QString shown = form->Label34->text();

    form->Check4->setChecked(false);
    form->Picture1_MouseMove(Qt::NoButton, {}, 50 * 15.f, 50 * 15.f);
    QVERIFY(form->Label34->isHidden());
    QCOMPARE(form->Label34->text(), shown);
    QCOMPARE(form->Label34->pos(), QPoint(122, 122));
}

void TstNavigation::scrollBarSetsDay_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("value");
    QTest::addColumn<QDate>("date");

    QTest::newRow("1990 day 60 is 1 March") << "1990" << 60 << QDate(1990, 3, 1);
    QTest::newRow("1990 day 75") << "1990" << 75 << QDate(1990, 3, 16);
    QTest::newRow("1990 day 365 is 31 December") << "1990" << 365 << QDate(1990, 12, 31);
    QTest::newRow("2004 day 60 is 29 February") << "2004" << 60 << QDate(2004, 2, 29);
    QTest::newRow("2004 day 365 is 30 December") << "2004" << 365 << QDate(2004, 12, 30);
}

void TstNavigation::scrollBarSetsDay()
{
    QFETCH(QString, year);
    QFETCH(int, value);
    QFETCH(QDate, date);
    auto form = m_h.makeForm();
    form->Option9->setChecked(true);
    form->Combo1->setCurrentText(year);
    // The month's change redraws: by then the day must already be the new one.
    QStringList dayAtMonthChange;
    connect(form->Combo2, &QComboBox::editTextChanged, form.get(),
            [&] { dayAtMonthChange << form->Combo3->currentText(); });

    form->HScroll2->setValue(value);
    QCOMPARE(form->Label32->text(), longDate(date.year(), date.month(), date.day()));
    QCOMPARE(form->Combo3->currentText(), QString::number(date.day()));
    QCOMPARE(form->Combo2->currentText(), QString::number(date.month()));
    if (date.month() != 1)
        QCOMPARE(dayAtMonthChange, QStringList{QString::number(date.day())});
    // The day shown is fetched from the archive server and cached.
    const QString name = QStringLiteral("p500a%1.gif").arg(date.toString(QStringLiteral("yyyyMMdd")));
    QVERIFY2(QFile::exists(m_h.cachePath(name)), qPrintable(name));
}

void TstNavigation::draggingSetsDateOnly()
{
    auto form = m_h.makeForm();
    form->Option9->setChecked(true);
    const int refreshes = form->refreshCount;
    form->HScroll2->setSliderDown(true);
    form->HScroll2->setSliderPosition(60);
    QCOMPARE(form->Label32->text(), longDate(2004, 2, 29));
    QCOMPARE(form->HScroll2->value(), 1);
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("1"));
    QCOMPARE(form->Combo3->currentText(), QStringLiteral("1"));
    QCOMPARE(form->refreshCount, refreshes);
}

void TstNavigation::animationCrossesYears_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("nextYear");
    QTest::addColumn<int>("nextValue");
    QTest::addColumn<QDate>("date");

    QTest::newRow("next day") << "1990" << 364 << "1990" << 365 << QDate(1990, 12, 31);
    QTest::newRow("1990 ends: 1 January 1991") << "1990" << 365 << "1991" << 1 << QDate(1991, 1, 1);
    QTest::newRow("2004 ends: 2004 again") << "2004" << 365 << "2004" << 1 << QDate(2004, 1, 1);
}

void TstNavigation::animationCrossesYears()
{
    QFETCH(QString, year);
    QFETCH(int, value);
    QFETCH(QString, nextYear);
    QFETCH(int, nextValue);
    QFETCH(QDate, date);
    auto form = m_h.makeForm();
    form->Option9->setChecked(true);
    form->Combo1->setCurrentText(year);
    form->HScroll2->setValue(value);

    form->Timer1_Timer();
    QCOMPARE(form->Combo1->currentText(), nextYear);
    QCOMPARE(form->HScroll2->value(), nextValue);
    QCOMPARE(form->Label32->text(), longDate(date.year(), date.month(), date.day()));
    QCOMPARE(form->Combo2->currentText(), QString::number(date.month()));
    QCOMPARE(form->Combo3->currentText(), QString::number(date.day()));
    QCOMPARE(form->windowTitle(), msg(56) + QLatin1Char(' ') + longDate(date.year(), date.month(), date.day()));
}

void TstNavigation::archiveFetch_data()
{
    QTest::addColumn<bool>("p850");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("cacheName");

    QTest::newRow("500 hPa") << false << "/archive/ra/1990/Rrea00119900301.gif" << "p500a19900301.gif";
    QTest::newRow("850 hPa") << true << "/archive/ra/1990/Rrea00219900301.gif" << "p850a19900301.gif";
}

void TstNavigation::archiveFetch()
{
    QFETCH(bool, p850);
    QFETCH(QString, path);
    QFETCH(QString, cacheName);
    auto form = m_h.makeForm();
    QCOMPARE(form->Service->servers().ArchiveServer, form->Service->servers().archiveServerBase(2));
    // While the transfer runs the status line names the day.
    QString during;
    QTimer::singleShot(0, form.get(), [&] { during = form->Label33->text(); });

    if (p850)
        form->GetArchive850(1990, 1, 3);
    else
        form->GetArchive500(1990, 1, 3);
    QCOMPARE(during, msg(55) + QLatin1Char(' ') + QLocale::system().toString(QDate(1990, 3, 1), QLocale::ShortFormat));
    QCOMPARE(form->Label33->text(), QStringLiteral("Fini"));
    QVERIFY(!form->Downloading);
    QCOMPARE(m_h.server.requests(), QStringList{path});
    QFile file(m_h.cachePath(cacheName));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), m_h.server.mapBytes(path));
    file.close();

    // Deleting the run keeps the archive.
    QVERIFY(QFile::exists(m_h.cachePath(QStringLiteral("temp0.png"))));
    form->Service->deletePngFiles();
    QVERIFY(!QFile::exists(m_h.cachePath(QStringLiteral("temp0.png"))));
    QVERIFY(QFile::exists(m_h.cachePath(cacheName)));
}

void TstNavigation::refusedFetchLeavesTransferFlag()
{
    auto form = m_h.makeForm();
    form->Downloading = true;  // another transfer runs
    form->GetArchive850(1990, 1, 3);
    QVERIFY(form->Downloading);
    QCOMPARE(form->Label33->text(), QStringLiteral("Fini"));
    QVERIFY(m_h.server.requests().isEmpty());
    QVERIFY(!QFile::exists(m_h.cachePath(QStringLiteral("p850a19900301.gif"))));
    form->Downloading = false;
}

QTEST_MAIN(TstNavigation)
#include "tst_navigation.moc"
