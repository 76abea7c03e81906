// The interface in English: every message translated, nothing French left on screen, dates
// and numbers the English way, the choice kept, and French when a language cannot be had.
#include "tests/support/formharness.h"
#include "tests/support/logreader.h"

#include "core/displaytext.h"
#include "core/downloadshare.h"
#include "forecast/decimalformat.h"
#include "shell/language.h"
#include "shell/textutil.h"
#include "viewer/helpwindow.h"

#include <QtWidgets>

namespace {

QString dataDir() { return qEnvironmentVariable("CARTAVENT_DATA_DIR"); }

QMap<int, QString> englishMessages()
{
    QFile file(Language::folder(dataDir()) + QStringLiteral("/english.txt"));
    return file.open(QIODevice::ReadOnly) ? parseLanguage(decodeTextFile(file.readAll())).messages : QMap<int, QString>();
}

// Names, units and words spelt alike in both languages.
bool sameInBoth(const QString &text)
{
    static const QStringList same{"Zoom +", "Zoom -", "OK", "Archives", "km/h", "mm", "dam"};
    return same.contains(text.trimmed());
}

// Whole French messages, and the pieces of each between its %N marks that are long enough
// to give French away inside a longer text.
struct FrenchTexts {
    QStringList whole, pieces;
};

FrenchTexts frenchTexts()
{
    static const QRegularExpression marker(QStringLiteral("%\\d"));
    const QMap<int, QString> english = englishMessages();
    FrenchTexts french;
    for (int n = 0; n < MessageCount; ++n) {
        const QString text = builtInMsg(n).trimmed();
        if (text.isEmpty() || sameInBoth(text) || text == english.value(n).trimmed())
            continue;
        french.whole << text;
        for (const QString &piece : text.split(marker)) {
            if (piece.trimmed().size() >= 4)
                french.pieces << piece.trimmed();
        }
    }
    return french;
}

// Whatever a user can read on a widget: caption, title, tooltip, text.
QStringList readable(const QWidget *w)
{
    QStringList texts{w->toolTip(), w->windowTitle()};
    for (const char *property : {"text", "title", "currentText", "plainText"})
        texts << w->property(property).toString();
    return texts;
}

QString frenchIn(const QString &text, const FrenchTexts &french)
{
    if (french.whole.contains(text.trimmed()))
        return text;
    for (const QString &piece : french.pieces) {
        if (text.contains(piece))
            return piece;
    }
    return {};
}

} // namespace

class TstEnglish : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(h.start());
        // A language folder with the English file, one cut short and one without a message.
        QVERIFY(QDir().mkpath(Language::folder(m_data.path())));
        QVERIFY(QFile::copy(Language::folder(dataDir()) + "/english.txt", Language::folder(m_data.path()) + "/english.txt"));
        writeLanguage("broken.txt", "28=Kaputt\n5000=x\n");
        writeLanguage("empty.txt", "// nothing\n");
    }
    void init() { h.resetSettings(); }
    void cleanupTestCase() { Language::apply(dataDir(), Language::french()); }

    void everyMessageTranslated();
    void choice_data();
    void choice();
    void followsLanguage_data();
    void followsLanguage();
    void locale_data();
    void locale();
    void noFrenchShown();
    void chosenInHelpWindow();
    void logStaysFrench();

private:
    void writeLanguage(const char *name, const QByteArray &bytes)
    {
        QFile file(Language::folder(m_data.path()) + u'/' + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    FormHarness h;
    QTemporaryDir m_data;
};

// Each message of the built-in French table, and each number a control is tagged with, has
// an English line of its own, not a copy of the French.
void TstEnglish::everyMessageTranslated()
{
    const QMap<int, QString> english = englishMessages();
    QStringList missing, copied;
    for (int n = 0; n < MessageCount; ++n) {
        const QString french = builtInMsg(n);
        if (french.isEmpty())
            continue;
        if (!english.contains(n) || english.value(n).trimmed().isEmpty())
            missing << QString::number(n);
        else if (english.value(n) == french && !sameInBoth(french))
            copied << QString::number(n);
    }
    Form1 form(h.config());
    Form2 help;
    for (const QWidget *w : form.findChildren<QWidget *>() + help.findChildren<QWidget *>()) {
        const int tag = w->property("tag").toInt();
        if (tag > 0 && !english.contains(tag))
            missing << w->objectName();
    }
    QVERIFY2(missing.isEmpty(), qPrintable("no English for: " + missing.join(u' ')));
    QVERIFY2(copied.isEmpty(), qPrintable("French copied as English: " + copied.join(u' ')));
}

// The command line wins over the saved choice; a language that cannot be had leaves French,
// with a warning that names it.
void TstEnglish::choice_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("inForce");
    QTest::addColumn<QString>("helpCaption");
    QTest::addColumn<bool>("warned");
    QTest::newRow("nothing chosen") << "" << "" << "francais" << "Aide" << false;
    QTest::newRow("saved") << "" << "english" << "english" << "Help" << false;
    QTest::newRow("letter case aside") << "English" << "" << "english" << "Help" << false;
    QTest::newRow("command line over saved") << "francais" << "english" << "francais" << "Aide" << false;
    QTest::newRow("unknown") << "klingon" << "english" << "francais" << "Aide" << true;
    QTest::newRow("stops short") << "broken" << "" << "francais" << "Aide" << true;
    QTest::newRow("no message") << "empty" << "" << "francais" << "Aide" << true;
    QTest::newRow("a path") << "../lang/english" << "" << "francais" << "Aide" << true;
}

void TstEnglish::choice()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, saved);
    QFETCH(bool, warned);
    const QString asked = Language::choose(commandLine, saved);
    const Language::Outcome outcome = Language::apply(m_data.path(), asked);
    QTEST(outcome.name, "inForce");
    QTEST(msg(28), "helpCaption");
    QCOMPARE(outcome.warning.contains(asked), warned);
    QCOMPARE(QLocale().language(), outcome.name == u"english" ? QLocale::English : QLocale::French);
}

// Dates, numbers, captions made of them and Qt's own dialogs follow the language; French reads as
// it always did.
void TstEnglish::followsLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");  // slot, archive title, step panel, decimal, percentage, Qt's own Yes
    QTest::newRow("French") << "francais"
                            << QStringList{"dimanche 6 décembre 2026 à 18h UTC", "Cartavent - Archive du vendredi 2 mars 1990",
                                           "Situation à +18h", "-3,5", "14,29\u00A0%", "&Oui"};
    QTest::newRow("English") << "english"
                             << QStringList{"Sunday, 6 December 2026 at 18:00 UTC", "Cartavent - Archive of Friday, 2 March 1990",
                                            "Conditions at +18h", "-3.5", "14.29%", "&Yes"};
}

void TstEnglish::followsLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, expected);
    Language::apply(dataDir(), language);
    QStringList texts{slotText(QDateTime(QDate(2026, 12, 6), QTime(18, 0), QTimeZone::utc())), archiveCaption(QDate(1990, 3, 2)),
                      stepFrameTitle(3), formatOneDecimal(-3.5), downloadAllCaption(0, 1, 0, QLocale())};
    if (QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_fr.qm"))  // qt6-translations-l10n
        texts << QMessageBox(QMessageBox::Question, {}, {}, QMessageBox::Yes).button(QMessageBox::Yes)->text();
    QCOMPARE(texts, expected.mid(0, texts.size()));
}

// A system that speaks the language keeps its regional ways; any other takes the file's.
void TstEnglish::locale_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("expected");
    QTest::newRow("C system") << "en_GB" << "C" << "en_GB";
    QTest::newRow("American system") << "en_GB" << "en_US" << "en_US";
    QTest::newRow("French on an American system") << "fr_FR" << "en_US" << "fr_FR";
    QTest::newRow("no code") << "" << "C" << "fr_FR";
}

void TstEnglish::locale()
{
    QFETCH(QString, code);
    QFETCH(QString, system);
    QTEST(Language::localeFor(code, QLocale(system)).name(), "expected");
}

// Started in English, with a place chosen and the help open: no widget of either window
// reads French, and the help is the English guide.
void TstEnglish::noFrenchShown()
{
    Form1Config config = h.config();
    config.language = QStringLiteral("english");
    auto form = h.makeForm(config);
    FormHarness::setPlace(*form, 4000, 3000);
    FormHarness::ctl<QPushButton>(*form, "Command3")->click();
    QVERIFY(FormHarness::settle(*form));
    FormHarness::ctl<QPushButton>(*form, "Command14")->click();
    QWidget *help = FormHarness::helpWindow();
    QVERIFY(help);

    const FrenchTexts french = frenchTexts();
    QStringList found;
    for (QWidget *window : {static_cast<QWidget *>(form.get()), help}) {
        const QList<QWidget *> widgets = window->findChildren<QWidget *>() << window;
        for (const QWidget *w : widgets) {
            for (const QString &text : readable(w)) {
                if (const QString piece = frenchIn(text, french); !piece.isEmpty())
                    found << w->objectName() + QStringLiteral(": ") + piece;
            }
        }
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    QVERIFY(FormHarness::ctl<QLabel>(*form, "Label14")->text().endsWith(QStringLiteral(":00 UTC")));
    QVERIFY(help->findChild<QPlainTextEdit *>("Text1")->toPlainText().startsWith(QStringLiteral("CARTAVENT - HOW TO USE")));
    help->close();
}

// The saved choice is read at start; the list of the help window changes it at once, in
// both windows, and keeps it.
void TstEnglish::chosenInHelpWindow()
{
    SavedSettings::writeText(Language::SettingKey, QStringLiteral("english"));
    auto form = h.makeForm();
    FormHarness::ctl<QPushButton>(*form, "Command14")->click();
    QWidget *help = FormHarness::helpWindow();
    auto *list = help->findChild<QComboBox *>("languageList");
    QCOMPARE(list->currentText(), QStringLiteral("English"));
    QCOMPARE(FormHarness::ctl<QPushButton>(*form, "Command14")->text(), QStringLiteral("Help"));

    Q_EMIT list->activated(list->findData(Language::french()));
    QCOMPARE(SavedSettings::readText(Language::SettingKey), Language::french());
    const QStringList shown{FormHarness::ctl<QPushButton>(*form, "Command14")->text(), form->windowTitle().section(u' ', 0, 3),
                            FormHarness::ctl<QLabel>(*form, "Label3")->text(), help->windowTitle(),
                            help->findChild<QPlainTextEdit *>("Text1")->toPlainText().section(u'\n', 0, 0), list->currentText()};
    QCOMPARE(shown, QStringList({"Aide", "Cartavent - Run du", "Interface en français", "Cartavent - Mise en route",
                                 "CARTAVENT - MODE D'EMPLOI", "Français"}));
    QVERIFY(FormHarness::ctl<QLabel>(*form, "Label14")->text().endsWith(QStringLiteral("h UTC")));
    help->close();
}

// The log is written in French whatever the language: here a cut map, whose reason the
// status line gives in English.
void TstEnglish::logStaysFrench()
{
    Form1Config config = h.config();
    config.language = QStringLiteral("english");
    auto form = h.makeForm(config);
    h.server.setFault(QStringLiteral("*.gif"), Fault{.noContentLength = true, .cutAfter = 100});
    FormHarness::ctl<QPushButton>(*form, "Command10")->click();
    QVERIFY(FormHarness::settle(*form));
    h.server.clearFaults();
    QVERIFY(readLogMessages(h.cachePath("log.txt")).contains(QStringLiteral("ERREUR : Carte incomplète / 35765")));
    QCOMPARE(FormHarness::ctl<QLabel>(*form, "Label3")->text(), QStringLiteral("7 map(s) not downloaded; last error: Incomplete map"));
}

QTEST_MAIN(TstEnglish)
#include "tst_english.moc"
