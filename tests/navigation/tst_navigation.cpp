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
            FormHarness::ctl<QPushButton>(*form, "Command4")->click();
        QCOMPARE(form->model().zoom(), 8.f);
        for (int i = 0; i < 4; ++i)
            FormHarness::ctl<QPushButton>(*form, "Command5")->click();
        QCOMPARE(form->model().zoom(), 1.f);

        const QImage before = FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas();
        FormHarness::ctl<QPushButton>(*form, "Command6")->click();
        QVERIFY(FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas() != before);
        FormHarness::ctl<QPushButton>(*form, "Command7")->click();
        QCOMPARE(FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas(), before);
    }

    void panMovesMapByZoomedStep()
    {
        auto form = m_h.makeForm();
        // The marker off the map: only the map itself is compared.
        FormHarness::setPlace(*form, -100000, -100000);
        form->model().zoomIn();
        const QImage before = FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas();
        const float x0 = form->model().offsetX();
        for (int i = 0; i < 4; ++i)
            FormHarness::ctl<QPushButton>(*form, "Command8")->click();
        const QImage after = FormHarness::ctl<PictureBox>(*form, "Picture1")->canvas();
        // 4000 x zoom twips, to the pixel.
        const int shift = int(std::floor((x0 + 4000) * 2 / 15)) - int(std::floor(x0 * 2 / 15));
        for (int x = shift; x < after.width(); ++x)
            QCOMPARE(after.pixel(x, 100), before.pixel(x - shift, 100));
    }

    // Offsets -2900, -3060: map point (4400, 4260) shows at pixel (100, 80). A wheel turn
    // there keeps it there at every zoom, so a click still chooses it.
    void placeFromClickAfterWheel()
    {
        auto form = m_h.makeForm();
        auto *map = FormHarness::ctl<PictureBox>(*form, "Picture1");
        for (int angle : {0, 120, 240, -120}) {
            FormHarness::wheel(*form, QPointF(100, 80), angle);
            QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(100, 80));
            QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label4")->text(), QStringLiteral("4400 4260"));
        }
        QCOMPARE(form->model().zoom(), 4.0f);
    }

    // The rules themselves are tested apart; this shows the box follows the pointer and mode.
    void readout()
    {
        auto form = m_h.makeForm(false);
        // Archive at 850 hPa, though the current-run kind is temperature (1 °C here).
        FormHarness::ctl<QRadioButton>(*form, "Option11")->setChecked(true);
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);
        QVERIFY(m_h.settle(*form));  // no map to be had: the box reads what is painted below
        QImage ramp15(5, 5, QImage::Format_RGB32);  // 1 °C, or -6 °C at 850 hPa
        ramp15.fill(QColor(0, 230, 80));
        FormHarness::ctl<PictureBox>(*form, "Picture1")->paintPicture(ramp15, QRect(100, 100, 5, 5));
        FormHarness::hover(*form, 102 * 15.f, 102 * 15.f);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label34")->text(), QStringLiteral("-6°C"));
        QVERIFY(!FormHarness::ctl<QLabel>(*form, "Label34")->isHidden());

        FormHarness::ctl<QCheckBox>(*form, "Check4")->setChecked(false);
        FormHarness::hover(*form, 50 * 15.f, 50 * 15.f);
        QVERIFY(FormHarness::ctl<QLabel>(*form, "Label34")->isHidden());
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
        QTest::newRow("after 2004 day 366: 1 January 2004") << "2004" << 366 << true << QDate(2004, 1, 1);
    }
    void archiveDay()
    {
        QFETCH(QString, year);
        QFETCH(int, value);
        QFETCH(bool, tick);
        QFETCH(QDate, date);
        auto form = m_h.makeForm();
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);
        form->model().setArchiveYear(year.toInt());
        QVERIFY(m_h.settle(*form));
        m_h.server.clearRequests();
        FormHarness::ctl<QScrollBar>(*form, "HScroll2")->setValue(value);
        if (tick) {
            QVERIFY(m_h.settle(*form));  // a tick waits for the day being fetched
            FormHarness::tick(*form);
        }
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label32")->text(), QLocale().toString(date, QLocale::LongFormat));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo1")->currentText(), QString::number(date.year()));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo2")->currentText(), QString::number(date.month()));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo3")->currentText(), QString::number(date.day()));
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
        QCOMPARE(form->service().servers().ArchiveServer, form->service().servers().archiveServerBase(2));
        ViewerModel &model = form->model();
        model.setArchiveYear(1990);
        model.setArchiveMonth(3);
        model.setArchiveDay(1);
        model.setArchiveLevel(ArchiveLevel::P850);
        QVERIFY(m_h.settle(*form));
        m_h.server.clearRequests();
        model.setMode(ViewerModel::Mode::Archive);
        QVERIFY(m_h.settle(*form));
        const QString path = QStringLiteral("/archive/ra/1990/Rrea00219900301.gif");
        QCOMPARE(m_h.server.requests(), QStringList{path});
        QFile file(m_h.cachePath(QStringLiteral("p850a19900301.gif")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_h.server.mapBytes(path));
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label33")->text(), QStringLiteral("Fini"));

        m_h.server.setFault(QStringLiteral("*Rrea00119900302.gif"), Fault{.status = 404});
        model.setArchiveLevel(ArchiveLevel::P500);
        model.setArchiveDay(2);
        QVERIFY(m_h.settle(*form));
        const QString status = FormHarness::ctl<QLabel>(*form, "Label33")->text();
        QVERIFY2(status.startsWith(msg(Msg::ArchiveFailed)) && status.contains(QStringLiteral("404")), qPrintable(status));
        QVERIFY(!QFile::exists(m_h.cachePath(QStringLiteral("p500a19900302.gif"))));
    }

private:
    FormHarness m_h;
};

QTEST_MAIN(TstNavigation)
#include "tst_navigation.moc"
