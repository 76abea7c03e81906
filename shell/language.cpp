#include "shell/language.h"

#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/textutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QTranslator>
#include <algorithm>
#include <optional>

namespace {

const QString FrenchFile = QStringLiteral("langage");

// Qt's own dialogs (the file dialog, Yes and No) speak the language too, when the system has
// Qt's translations; without them they stay as Qt writes them.
void useQtTranslation(const QLocale &locale)
{
    static QPointer<QTranslator> installed;
    if (!QCoreApplication::instance())
        return;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

// A name is a file name and nothing more: no folder can be reached through it.
bool isPlainName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return plain.match(name).hasMatch();
}

// The file of the language folder a name stands for, letter case aside; empty when none.
QString stemOf(const QString &dataDir, const QString &name)
{
    if (!isPlainName(name))
        return {};
    const QStringList files = QDir(Language::folder(dataDir)).entryList({QStringLiteral("*.txt")}, QDir::Files);
    for (const QString &file : files) {
        const QString stem = file.chopped(4);
        if (stem.compare(name, Qt::CaseInsensitive) == 0)
            return stem;
    }
    return {};
}

// The parsed file, or nothing when it cannot be read, stops short or holds no message.
std::optional<ParsedLanguage> readWhole(const QString &path)
{
    const std::optional<QString> text = readTextFile(path);
    if (!text)
        return std::nullopt;
    ParsedLanguage parsed = parseLanguage(*text);
    if (!parsed.complete || parsed.messages.isEmpty())
        return std::nullopt;
    return parsed;
}

} // namespace

namespace Language {

QString french()
{
    return QStringLiteral("francais");
}

bool isFrench(const QString &name)
{
    for (const QString &alias : {french(), QStringLiteral("français"), QStringLiteral("french")}) {
        if (name.compare(alias, Qt::CaseInsensitive) == 0)
            return true;
    }
    return name.isEmpty();
}

QString folder(const QString &dataDir)
{
    return joinPath(dataDir, QStringLiteral("lang"));
}

QString choose(const QString &commandLine, const QString &saved)
{
    const QString chosen = !commandLine.trimmed().isEmpty() ? commandLine : saved;
    return isFrench(chosen.trimmed()) ? french() : chosen.trimmed();
}

QList<Entry> available(const QString &dataDir)
{
    QList<Entry> languages;
    const QStringList files = QDir(folder(dataDir)).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QString stem = file.chopped(4);
        if (!isPlainName(stem) || isFrench(stem) || stem.endsWith(QStringLiteral("-help")))
            continue;
        const std::optional<ParsedLanguage> parsed = readWhole(joinPath(folder(dataDir), file));
        if (!parsed)
            continue;
        const QString title = parsed->messages.value(int(Msg::LanguageName)).trimmed();
        languages.append({stem, title.isEmpty() ? stem : title});
    }
    std::sort(languages.begin(), languages.end(), [](const Entry &a, const Entry &b) {
        return a.title.localeAwareCompare(b.title) < 0;
    });
    languages.prepend({french(), builtInMsg(int(Msg::LanguageName))});
    return languages;
}

Outcome apply(const QString &dataDir, const QString &name)
{
    Outcome outcome{french(), {}};
    if (!isFrench(name)) {
        const QString stem = stemOf(dataDir, name);
        const std::optional<ParsedLanguage> parsed =
            stem.isEmpty() ? std::nullopt : readWhole(joinPath(folder(dataDir), stem + QStringLiteral(".txt")));
        if (parsed) {
            Messages::loadBuiltIn();
            for (auto it = parsed->messages.cbegin(); it != parsed->messages.cend(); ++it)
                Messages::set(it.key(), it.value());
            outcome.name = stem;
        }
    }
    if (outcome.name == french()) {
        // A missing or cut-short langage.txt leaves the built-in texts for what it lacks.
        LoadLanguage(dataDir, FrenchFile);
        if (!isFrench(name))
            outcome.warning = msg(Msg::LanguageProblem).arg(name);
    }
    QLocale::setDefault(localeFor(msg(Msg::LocaleName), QLocale::system()));
    useQtTranslation(QLocale());
    return outcome;
}

QLocale localeFor(const QString &code, const QLocale &system)
{
    QLocale wanted(code.trimmed());
    if (wanted.language() == QLocale::C)
        wanted = QLocale(QLocale::French, QLocale::France);
    return system.language() == wanted.language() ? system : wanted;
}

QString helpFile(const QString &dataDir, const QString &name)
{
    if (!isFrench(name)) {
        const QString own = joinPath(folder(dataDir), name + QStringLiteral("-help.txt"));
        if (isPlainName(name) && QFileInfo(own).isFile())
            return own;
    }
    return joinPath(dataDir, QStringLiteral("lisezmoi.txt"));
}

} // namespace Language
