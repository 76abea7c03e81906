// Panels that cannot mislead and commands that say what they did: the forecast panels
// follow the step once a place is chosen, say how to choose one before, show no weather
// without values; "Effacer le run" asks first and counts.
#include "tests/support/formharness.h"
#include "tests/support/panelexpect.h"
#include "viewer/picturebox.h"

#include <QtWidgets>

class TstPanelFeedback : public QObject {
    Q_OBJECT
    FormHarness h;

    static QLabel *label(const Form1 &form, const char *name) { return FormHarness::ctl<QLabel>(form, name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(h.startInFrench()); }
    void init() { h.resetAll(); }

    // Before any place: how to choose one, in both panels, and no values.
    void hintBeforeAPlace()
    {
        auto form = h.makeForm();
        for (const char *hint : {"nowPanelHint", "stepPanelHint"}) {
            QVERIFY(!label(*form, hint)->isHidden());
            QCOMPARE(label(*form, hint)->text(), msg(Msg::ChooseAPlace));
        }
        QVERIFY(label(*form, "Label13")->isHidden());
        QVERIFY(!FormHarness::ctl(*form, "Frame4")->isHidden());
    }

    // After "Calculer", every step change recomputes: the title and the values agree.
    void followsTheStep()
    {
        auto form = h.makeFormAt(4000, 4000);
        FormHarness::ctl<QPushButton>(*form, "Command3")->click();
        QTRY_VERIFY(!label(*form, "Label13")->isHidden());
        QWidget *map = FormHarness::ctl(*form, "Picture1");
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left})
            QTest::keyClick(map, key);
        const int step = 2;
        QTRY_COMPARE(FormHarness::ctl<QGroupBox>(*form, "Frame4")->title(), QStringLiteral("Situation à +12h"));
        QVERIFY(h.settle(*form));
        QCOMPARE(label(*form, "Label13")->text(), expectedText(h.server, {"temp", GetTemp, false, 3}, step, true, QStringLiteral("°C")));
        QCOMPARE(label(*form, "Label7")->text(), expectedText(h.server, {"temp", GetTemp, false, 3}, 0, false, QStringLiteral("°C")));
    }

    // A place chosen on the map is computed without "Calculer".
    void clickComputes()
    {
        auto form = h.makeForm();
        QTest::mouseClick(FormHarness::ctl(*form, "Picture1"), Qt::LeftButton, {}, QPoint(300, 200));
        QTRY_VERIFY(!label(*form, "Label13")->isHidden());
        QVERIFY(label(*form, "nowPanelHint")->isHidden());
    }

    // No map to be had: every value unavailable and no weather pictured.
    void noValuesNoPictogram()
    {
        auto form = h.makeFormAt(4000, 4000);
        h.server.setFault(QStringLiteral("*"), Fault{.status = 404});
        FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(5);
        QVERIFY(h.settle(*form));
        for (const QString &name : QDir(h.cache->path()).entryList({QStringLiteral("*.png")}))
            QFile::remove(h.cachePath(name));
        FormHarness::ctl<QPushButton>(*form, "Command3")->click();
        QTRY_VERIFY(!label(*form, "Label13")->isHidden());
        QVERIFY(h.settle(*form));
        for (const char *picto : {"picto1", "picto2"}) {
            auto *box = FormHarness::ctl<PictureBox>(*form, picto);
            QVERIFY2(box->picture().isNull(), picto);
        }
        QCOMPARE(label(*form, "Label13")->text(), msg(Msg::Unavailable));
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no keeps the maps") << false;
        QTest::newRow("yes removes them and counts") << true;
    }

    void deleteAsksFirst()
    {
        QFETCH(bool, yes);
        auto form = h.makeForm();
        const QStringList before = QDir(h.cache->path()).entryList({QStringLiteral("*.png")});
        QVERIFY(!before.isEmpty());
        FormHarness::ctl<QPushButton>(*form, "Command1")->click();
        auto *ask = form->findChild<QMessageBox *>(QStringLiteral("deleteRunQuestion"));
        QVERIFY(ask && ask->isVisible());
        QCOMPARE(QDir(h.cache->path()).entryList({QStringLiteral("*.png")}), before);  // nothing yet
        ask->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        const QStringList after = QDir(h.cache->path()).entryList({QStringLiteral("*.png")});
        QCOMPARE(after.size(), yes ? 0 : before.size());
        if (yes)
            QCOMPARE(label(*form, "Label3")->text(), msg(Msg::RunDeleted).arg(before.size()));
    }
};

QTEST_MAIN(TstPanelFeedback)
#include "tst_panelfeedback.moc"
