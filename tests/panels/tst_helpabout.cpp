// The "Mise en route" window and the about text.
#include "viewer/aboutbox.h"
#include "viewer/helpwindow.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestHelpAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        Messages::set(71, QStringLiteral("OK"));
    }
    void init()
    {
        QSettings("Cartavent", "Cartavent").clear();
        m_data = std::make_unique<QTemporaryDir>();
        qputenv("CARTAVENT_DATA_DIR", m_data->path().toUtf8());
        writeHelp("Aide de test\n");
    }

    void helpTextInCodePage()
    {
        writeHelp("M\xe9t\xe9o \x80\n");
        Form2 form;
        form.showHelp();
        QCOMPARE(form.Text1->toPlainText(), QStringLiteral("Météo €\n"));
    }

    // A guide that cannot be found says so instead of leaving the box blank.
    void missingHelpText()
    {
        QFile::remove(m_data->filePath("lisezmoi.txt"));
        Form2 form;
        form.showHelp();
        QVERIFY(form.Text1->toPlainText().contains(QStringLiteral("lisezmoi.txt")));
    }

    // First start, ticking, "OK", then "Aide", with the saved "help" value after each.
    void firstStartThenAide()
    {
        Form2 form;
        QStringList seen;  // checked after the modal loop: a failure inside would leave it open
        QTimer::singleShot(0, &form, [&] {
            seen << QString::number(form.isModal() && form.isVisible() && !form.Check1->isChecked()) << savedHelp();
            form.Check1->click();
            seen << savedHelp();
            form.Check1->click();
            seen << savedHelp();
            form.Command1->click();
        });
        form.showModalAtStartup();
        QCOMPARE(seen, QStringList({"1", "<none>", "1", "0"}));
        QVERIFY(form.isHidden());
        QCOMPARE(savedHelp(), QStringLiteral("0"));

        // "Aide" shows the same window, loaded once, without the box.
        writeHelp("Nouveau texte\n");
        form.showHelp();
        QVERIFY(form.isVisible());
        QVERIFY(form.Check1->isHidden());
        QCOMPARE(form.Text1->toPlainText(), QStringLiteral("Aide de test\n"));
        QCOMPARE(savedHelp(), QStringLiteral("0"));

        // With "1" saved, the first "Aide" loads a window whose box is shown and ticked.
        SavedSettings::writeText("help", "1");
        Form2 second;
        second.showHelp();
        QVERIFY(second.Check1->isVisible());
        QVERIFY(second.Check1->isChecked());
        QCOMPARE(savedHelp(), QStringLiteral("1"));
    }

    void aboutText()
    {
        Messages::set(44, QStringLiteral("Version "));
        Messages::set(45, QStringLiteral("Cartes du modèle GFS."));
        const QStringList lines = ::aboutText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("Version  3.1)"));
        QVERIFY(lines[1].startsWith(QStringLiteral("Copyright © ")));
        QCOMPARE(lines.mid(2), QStringList({"", "Cartes du modèle GFS.", "", ""}));  // ends with a line break
        QCOMPARE(makeAboutBox(nullptr)->textFormat(), Qt::PlainText);
    }

private:
    void writeHelp(const QByteArray &bytes)
    {
        QFile f(m_data->filePath("lisezmoi.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QString savedHelp() const { return SavedSettings::readText(QStringLiteral("help"), QStringLiteral("<none>")); }

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_data;
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
