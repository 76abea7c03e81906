// The value box and archive browsing in the window,
// offscreen, against the demonstration map server.
#include "viewer/picturebox.h"

#include "tests/support/formharness.h"

#include <QtWidgets>

class TstNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(m_h.start()); }
    void init() { m_h.resetSettings(); }

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

    // Day 365 of 2004 is 30 December in the lists and the caption.
    void archiveDay()
    {
        const QDate date(2004, 12, 30);
        auto form = m_h.makeForm();
        FormHarness::ctl<QRadioButton>(*form, "Option9")->setChecked(true);
        form->model().setArchiveYear(2004);
        QVERIFY(m_h.settle(*form));
        m_h.server.clearRequests();
        FormHarness::ctl<QScrollBar>(*form, "HScroll2")->setValue(365);
        QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label32")->text(), QLocale().toString(date, QLocale::LongFormat));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo1")->currentText(), QString::number(date.year()));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo2")->currentText(), QString::number(date.month()));
        QCOMPARE(FormHarness::ctl<QComboBox>(*form, "Combo3")->currentText(), QString::number(date.day()));
        // The day is set before the month, whose change redraws: no map of a half-set date.
        QVERIFY(m_h.settle(*form));
        const QString wanted = date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".gif");
        for (const QString &path : m_h.server.requests())
            QVERIFY2(path.endsWith(wanted), qPrintable(path));
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
