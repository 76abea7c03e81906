// The "Mise en route" window and the about text.
#include "viewer/aboutbox.h"
#include "viewer/helpwindow.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QLayout>
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
        m_buildDir = qEnvironmentVariable("CARTAVENT_DATA_DIR");  // init() points it elsewhere
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

    // At any size, the guide's frame, the box (until "OK" hides it) and the button stand
    // one under the other, a layout's spacing apart, and the frame takes the extra room.
    void layoutAtSize_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<bool>("afterOk");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("designed size") << QSize() << false << QSize(451, 402);
        QTest::newRow("enlarged") << QSize(900, 700) << false << QSize(900, 700);
        QTest::newRow("below the minimum") << QSize(100, 80) << false << QSize(320, 240);
        QTest::newRow("reopened after OK, enlarged") << QSize(900, 700) << true << QSize(900, 700);
    }

    void layoutAtSize()
    {
        QFETCH(QSize, requested);
        QFETCH(bool, afterOk);
        QFETCH(QSize, expected);
        Form2 form;
        form.showHelp();
        if (afterOk) {
            form.Command1->click();
            form.showHelp();
        }
        if (requested.isValid())
            form.resize(requested);
        form.layout()->activate();
        QCOMPARE(form.size(), expected);
        QCOMPARE(form.Check1->isVisible(), !afterOk);

        QList<QWidget *> column{form.Frame1, form.Check1, static_cast<QWidget *>(form.Command1)};
        if (afterOk)
            column.removeOne(form.Check1);
        const int spacing = form.layout()->spacing();
        for (qsizetype i = 1; i < column.size(); ++i)
            QCOMPARE(column[i]->y() - (column[i - 1]->y() + column[i - 1]->height()), spacing);
        const QMargins margins = form.layout()->contentsMargins();
        QCOMPARE(form.Frame1->y(), margins.top());
        QCOMPARE(form.Command1->y() + form.Command1->height(), form.height() - margins.bottom());
        QCOMPARE(form.Frame1->width(), form.width() - margins.left() - margins.right());
        QVERIFY(form.Frame1->contentsRect().contains(form.Text1->geometry()));
        QVERIFY(form.Text1->height() > form.Frame1->height() / 2);
    }

    void aboutText()
    {
        Messages::set(44, QStringLiteral("Cartavent (version"));
        Messages::set(45, QStringLiteral("Cartes du modèle GFS."));
        const QStringList lines = ::aboutText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("Cartavent (version %1)").arg(printedVersion()));
        QVERIFY(lines[1].startsWith(QStringLiteral("Copyright © ")));
        QCOMPARE(lines.mid(2), QStringList({"", "Cartes du modèle GFS.", "", ""}));  // ends with a line break
        QCOMPARE(makeAboutBox(nullptr)->textFormat(), Qt::PlainText);
    }

private:
    // What "cartavent --version" prints after the program's name.
    QString printedVersion() const
    {
        QProcess program;
        program.start(m_buildDir + QStringLiteral("/cartavent"), {QStringLiteral("--version")});
        if (!program.waitForFinished(-1) || program.exitCode() != 0)
            return QStringLiteral("<no version: %1>").arg(program.errorString());
        return QString::fromLocal8Bit(program.readAllStandardOutput()).trimmed().section(u' ', 1);
    }
    void writeHelp(const QByteArray &bytes)
    {
        QFile f(m_data->filePath("lisezmoi.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QString savedHelp() const { return SavedSettings::readText(QStringLiteral("help"), QStringLiteral("<none>")); }

    QTemporaryDir m_settings;
    QString m_buildDir;
    std::unique_ptr<QTemporaryDir> m_data;
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
