// Zoom, pan, the value box, the choice of a place and archive browsing in the window,
// offscreen, against the demonstration map server.
#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "tests/support/formharness.h"

#include <QSignalSpy>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

class TstNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_h.start()); }
    void init() { m_h.resetSettings(); }

    void zoomLimitsAndUpDown()
    {
        auto form = m_h.makeForm();
        for (int i = 0; i < 4; ++i)
            form->Command4->click();
        QCOMPARE(form->Zoom, 8.f);
        for (int i = 0; i < 4; ++i)
            form->Command5->click();
        QCOMPARE(form->Zoom, 1.f);

        const QImage before = form->Picture1->canvas();
        form->Command6->click();
        QVERIFY(form->Picture1->canvas() != before);
        form->Command7->click();
        QCOMPARE(form->Picture1->canvas(), before);
    }

    void panMovesMapByZoomedStep()
    {
        auto form = m_h.makeForm();
        // The marker off the map: only the map itself is compared.
        form->PlaceX = form->PlaceY = -100000;
        ConvertD1TOD2(form->PlaceX, form->PlaceY, form->PlaceX2, form->PlaceY2);
        form->Zoom = 2;
        form->RefreshPicture();
        const QImage before = form->Picture1->canvas();
        const float x0 = form->OffsetX;
        for (int i = 0; i < 4; ++i)
            form->Command8->click();
        const QImage after = form->Picture1->canvas();
        // 4000 x zoom twips, to the pixel.
        const int shift = int(std::floor((x0 + 4000) * 2 / 15)) - int(std::floor(x0 * 2 / 15));
        for (int x = shift; x < after.width(); ++x)
            QCOMPARE(after.pixel(x, 100), before.pixel(x - shift, 100));
    }

    void placeFromClickAtZoom1And2()
    {
        // Offsets -2900, -3060: map point (4400, 4260) shows at pixel (100, 80) x zoom.
        for (int zoom : {1, 2}) {
            auto form = m_h.makeForm();
            form->Zoom = zoom;
            form->RefreshPicture();
            QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, QPoint(100, 80) * zoom);
            QCOMPARE(form->Label4->text(), QStringLiteral("4400 4260"));
        }
    }

    // The rules themselves are tested apart; this shows the box follows the pointer and mode.
    void readout()
    {
        auto form = m_h.makeForm(false);
        // Archive at 850 hPa, though the current-run kind is temperature (1 °C here).
        form->Option11->setChecked(true);
        form->Option9->setChecked(true);
        QVERIFY(m_h.settle(*form));  // no map to be had: the box reads what is painted below
        QImage ramp15(5, 5, QImage::Format_RGB32);  // 1 °C, or -6 °C at 850 hPa
        ramp15.fill(QColor(0, 230, 80));
        form->Picture1->paintPicture(ramp15, QRect(100, 100, 5, 5));
        form->Picture1_MouseMove(Qt::NoButton, {}, 102 * 15.f, 102 * 15.f);
        QCOMPARE(form->Label34->text(), QStringLiteral("-6°C"));
        QVERIFY(!form->Label34->isHidden());

        form->Check4->setChecked(false);
        form->Picture1_MouseMove(Qt::NoButton, {}, 50 * 15.f, 50 * 15.f);
        QVERIFY(form->Label34->isHidden());
    }

    void archiveDay_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("tick");  // one animation step after choosing the day
        QTest::addColumn<QDate>("date");
        QTest::newRow("1990 day 60 is 1 March") << "1990" << 60 << false << QDate(1990, 3, 1);
        QTest::newRow("2004 day 365 is 30 December") << "2004" << 365 << false << QDate(2004, 12, 30);
        QTest::newRow("after 1990 day 365: 1 January 1991") << "1990" << 365 << true << QDate(1991, 1, 1);
        QTest::newRow("after 2004 day 365: 1 January 2004") << "2004" << 365 << true << QDate(2004, 1, 1);
    }
    void archiveDay()
    {
        QFETCH(QString, year);
        QFETCH(int, value);
        QFETCH(bool, tick);
        QFETCH(QDate, date);
        auto form = m_h.makeForm();
        form->Option9->setChecked(true);
        form->Combo1->setCurrentText(year);
        QVERIFY(m_h.settle(*form));
        m_h.server.clearRequests();
        form->HScroll2->setValue(value);
        if (tick) {
            QVERIFY(m_h.settle(*form));  // a tick waits for the day being fetched
            form->Timer1_Timer();
        }
        QCOMPARE(form->Label32->text(), QLocale::system().toString(date, QLocale::LongFormat));
        QCOMPARE(form->Combo1->currentText(), QString::number(date.year()));
        QCOMPARE(form->Combo2->currentText(), QString::number(date.month()));
        QCOMPARE(form->Combo3->currentText(), QString::number(date.day()));
        // The day is set before the month, whose change redraws: no map of a half-set date.
        QVERIFY(m_h.settle(*form));
        const QString wanted = date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".gif");
        for (const QString &path : m_h.server.requests())
            QVERIFY2(tick || path.endsWith(wanted), qPrintable(path));
    }

    // One archive day into the cache; a day that cannot be had says so instead of "Fini".
    void archiveFetch()
    {
        auto form = m_h.makeForm();
        QCOMPARE(form->Service->servers().ArchiveServer, form->Service->servers().archiveServerBase(2));
        QSignalSpy done(form->GetArchive850(1990, 1, 3), &MapBatch::finished);
        QVERIFY(done.wait());
        const QString path = QStringLiteral("/archive/ra/1990/Rrea00219900301.gif");
        QCOMPARE(m_h.server.requests(), QStringList{path});
        QFile file(m_h.cachePath(QStringLiteral("p850a19900301.gif")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_h.server.mapBytes(path));
        QCOMPARE(form->Label33->text(), QStringLiteral("Fini"));

        m_h.server.setFault(QStringLiteral("*Rrea00119900302.gif"), Fault{.status = 404});
        QSignalSpy failed(form->GetArchive500(1990, 2, 3), &MapBatch::finished);
        QVERIFY(failed.wait());
        QVERIFY2(form->Label33->text().startsWith(msg(83)) && form->Label33->text().contains(QStringLiteral("404")),
                 qPrintable(form->Label33->text()));
        QVERIFY(!QFile::exists(m_h.cachePath(QStringLiteral("p500a19900302.gif"))));
    }

private:
    FormHarness m_h;
};

QTEST_MAIN(TstNavigation)
#include "tst_navigation.moc"
