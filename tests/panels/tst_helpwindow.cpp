#include "shell/helpwindow.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestHelpWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void helpText_data();
    void helpText();
    void boxFromSetting_data();
    void boxFromSetting();
    void tickingSavesAtOnce();
    void okHidesBoxForGood();
    void loadsOnlyOnce();
    void closingFromFrameOnlyHides();
    void startupAutoClose();
    void startupWaitsForOk();
    void layout();
    void shippedGuide();

private:
    void writeHelp(const QByteArray &bytes);
    QString savedHelp() const { return SavedSettings::readText(QStringLiteral("help"), QStringLiteral("<none>")); }

    std::unique_ptr<QTemporaryDir> m_data;
    QByteArray m_oldDataDir;
};

void TestHelpWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_oldDataDir = qgetenv("CARTAVENT_DATA_DIR");
    Messages::set(69, QStringLiteral("Mode d'emploi"));
    Messages::set(70, QStringLiteral("Ne plus afficher ce message "));
    Messages::set(71, QStringLiteral("OK"));
}

void TestHelpWindow::cleanupTestCase()
{
    qputenv("CARTAVENT_DATA_DIR", m_oldDataDir);
}

void TestHelpWindow::init()
{
    QSettings("Cartavent", "Cartavent").clear();
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid());
    qputenv("CARTAVENT_DATA_DIR", m_data->path().toUtf8());
    writeHelp("Aide de test\n");
}

void TestHelpWindow::writeHelp(const QByteArray &bytes)
{
    QFile f(m_data->filePath("lisezmoi.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void TestHelpWindow::helpText_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("UTF-8") << true << QByteArray("Météo\nÉchéance +6h\n")
                           << QStringLiteral("Météo\nÉchéance +6h\n");
    QTest::newRow("Windows-1252") << true << QByteArray("M\xe9t\xe9o \x80\n")
                                  << QStringLiteral("Météo €\n");
    QTest::newRow("CR LF lines") << true << QByteArray("un\r\ndeux\r\n")
                                 << QStringLiteral("un\ndeux\n");
    QTest::newRow("empty file") << true << QByteArray() << QString();
    QTest::newRow("missing file") << false << QByteArray() << QString();
}

void TestHelpWindow::helpText()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    if (present)
        writeHelp(bytes);
    else
        QVERIFY(QFile::remove(m_data->filePath("lisezmoi.txt")));

    Form2 form;
    form.showHelp();
    if (!present)
        shown = Form2::missingFileNotice(m_data->path());
    QCOMPARE(form.Text1->toPlainText(), shown);
    QVERIFY(form.Text1->isReadOnly());
    if (!present)
        QVERIFY(shown.contains(QDir::toNativeSeparators(m_data->path())));
}

void TestHelpWindow::boxFromSetting_data()
{
    QTest::addColumn<QString>("saved");  // "<none>": no value
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("afterLoad");

    QTest::newRow("first start") << "<none>" << false << "<none>";
    QTest::newRow("0") << "0" << false << "0";
    // Loading ticks the box, and that change saves "1" again.
    QTest::newRow("1") << "1" << true << "1";
    QTest::newRow("not a number counts as 0") << "oui" << false << "oui";
}

void TestHelpWindow::boxFromSetting()
{
    QFETCH(QString, saved);
    QFETCH(bool, ticked);
    QFETCH(QString, afterLoad);
    if (saved != "<none>")
        SavedSettings::writeText("help", saved);

    Form2 form;
    QVERIFY(!form.isLoaded());
    form.showHelp();
    QVERIFY(form.isLoaded());
    QCOMPARE(form.Check1->isChecked(), ticked);
    QVERIFY(form.Check1->isVisible());
    QCOMPARE(savedHelp(), afterLoad);
}

void TestHelpWindow::tickingSavesAtOnce()
{
    Form2 form;
    form.showHelp();
    form.Check1->click();
    QCOMPARE(savedHelp(), QStringLiteral("1"));
    form.Check1->click();
    QCOMPARE(savedHelp(), QStringLiteral("0"));
    form.Check1->click();
    form.Command1->click();
    QCOMPARE(savedHelp(), QStringLiteral("1"));
}

void TestHelpWindow::okHidesBoxForGood()
{
    Form2 form;
    form.showHelp();
    form.Command1->click();
    QVERIFY(form.isHidden());
    QVERIFY(form.Check1->isHidden());

    form.showHelp();
    QVERIFY(form.isVisible());
    QVERIFY(form.Check1->isHidden());
    QCOMPARE(savedHelp(), QStringLiteral("<none>"));
}

void TestHelpWindow::loadsOnlyOnce()
{
    Form2 form;
    form.showHelp();
    form.Command1->click();

    Messages::set(71, QStringLiteral("Fermer"));
    writeHelp("Nouveau texte\n");
    form.showHelp();
    Messages::set(71, QStringLiteral("OK"));

    QCOMPARE(form.Command1->text(), QStringLiteral("OK"));
    QCOMPARE(form.Text1->toPlainText(), QStringLiteral("Aide de test\n"));
}

void TestHelpWindow::closingFromFrameOnlyHides()
{
    Form2 form;
    form.showHelp();
    form.Check1->setChecked(true);
    QVERIFY(form.close());
    QVERIFY(form.isHidden());
    form.showHelp();
    QVERIFY(form.Check1->isVisible());
    QVERIFY(form.Check1->isChecked());
}

void TestHelpWindow::startupAutoClose()
{
    Form2 form;
    form.showModalAtStartup(0);
    QVERIFY(form.isHidden());
    QVERIFY(form.isLoaded());
    QVERIFY(!form.Check1->isHidden());
}

void TestHelpWindow::startupWaitsForOk()
{
    Form2 form;
    bool clicked = false;
    QTimer::singleShot(0, &form, [&] {
        QVERIFY(form.isVisible());
        QVERIFY(form.isModal());
        clicked = true;
        form.Command1->click();
    });
    form.showModalAtStartup();
    QVERIFY(clicked);
    QVERIFY(form.isHidden());
    QVERIFY(form.Check1->isHidden());
}

void TestHelpWindow::layout()
{
    Messages::set(69, QStringLiteral("Guide"));
    Form2 form;
    form.showHelp();
    Messages::set(69, QStringLiteral("Mode d'emploi"));

    QCOMPARE(form.objectName(), QStringLiteral("Form2"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Cartavent - Mise en route"));
    QCOMPARE(form.Frame1->title(), QStringLiteral("Guide"));
    QCOMPARE(form.Text1->parentWidget(), form.Frame1);
    QCOMPARE(form.Check1->geometry(), QRect(132, 339, 219, 17));
    QCOMPARE(form.Command1->geometry(), QRect(182, 368, 98, 25));
    QVERIFY(form.rect().contains(form.Command1->geometry()));
    QVERIFY(form.rect().contains(form.Frame1->geometry()));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestHelpWindow::shippedGuide()
{
    qputenv("CARTAVENT_DATA_DIR", m_oldDataDir);
    Form2 form;
    form.showHelp();
    const QString text = form.Text1->toPlainText();
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
    // The guide names the controls by their captions: they must not drift apart.
    for (const char *caption : {"Calculer", "Télécharger tout", "Actualiser le run", "Effacer le run",
                                "Teste si nouveaux modèles", "Connexion bas debit", "Max échéance",
                                "Rectangle valeur activé", "Copie URL", "Animer", "Affiche",
                                "--hosts", "--cache-dir", "--screenshot", "deleteall", "log.txt"})
        QVERIFY2(text.contains(QString::fromUtf8(caption)), caption);
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
