// The help window at start-up and from "Aide", and the about box.
#include "formharness.h"

#include "shell/helpwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

class TstFormHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void startUpHelp_data();
    void startUpHelp();
    void aideShowsTheSameWindow();
    void aboutBox();

private:
    FormHarness h;
};

void TstFormHelp::initTestCase()
{
    QVERIFY(h.start());
}

void TstFormHelp::startUpHelp_data()
{
    QTest::addColumn<QString>("saved");  // "-": nothing saved
    QTest::addColumn<bool>("shown");
    QTest::newRow("first start") << "-" << true;
    QTest::newRow("help 0") << "0" << true;
    QTest::newRow("help 1") << "1" << false;
}

void TstFormHelp::startUpHelp()
{
    QFETCH(QString, saved);
    QFETCH(bool, shown);
    const QByteArray help = saved.toLatin1();
    h.resetSettings(saved == QLatin1String("-") ? nullptr : help.constData());

    auto form = h.makeForm();

    Form2 *help2 = form->helpWindow();
    // Loading happens at the first show: a loaded window was shown.
    QCOMPARE(help2->isLoaded(), shown);
    QVERIFY(!help2->isVisible());  // unattended: closed at once, start-up went on
    QCOMPARE(form->Label3->text(), msg(67));
}

void TstFormHelp::aideShowsTheSameWindow()
{
    h.resetSettings(nullptr);
    auto form = h.makeForm();
    Form2 *help = form->helpWindow();

    form->Command14->click();
    QVERIFY(help->isVisible());
    QVERIFY(!help->isModal());
    QVERIFY(!help->parentWidget());  // beside the main window, not owned by it
    QVERIFY(help->Check1->isVisible());

    help->Command1->click();
    QVERIFY(!help->isVisible());
    form->Command14->click();
    QCOMPARE(form->helpWindow(), help);
    QVERIFY(help->isVisible());
    QVERIFY(!help->Check1->isVisible());
    help->hide();
}

void TstFormHelp::aboutBox()
{
    h.resetSettings();
    auto form = h.makeForm();
    QString title, text;
    bool iconless = false;
    QTimer::singleShot(0, form.get(), [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            title = box->windowTitle();
            text = box->text();
            iconless = box->icon() == QMessageBox::NoIcon;
        }
        if (modal)
            modal->close();
    });

    form->Command13->click();

    QVERIFY(!msg(44).isEmpty());
    QCOMPARE(text.section(QLatin1Char('\n'), 0, 0), msg(44) + QStringLiteral(" 3.1)"));
    QCOMPARE(title, QStringLiteral("Cartavent"));
    QVERIFY(iconless);
}

QTEST_MAIN(TstFormHelp)
#include "tst_formhelp.moc"
