#include "shell/commandline.h"
#include "shell/language.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QCommandLineParser>

namespace {

constexpr int MaxHosts = 3;

// Positions matter (server 1, 2, 3), so an empty entry stays empty rather than shifting.
QStringList splitHosts(const QString &value, QStringList &problems)
{
    QStringList hosts;
    for (const QString &host : value.split(u','))
        hosts.append(host.trimmed());
    if (hosts.size() > MaxHosts) {
        problems.append(msg(Msg::TooManyHosts).arg(hosts.size()));
        hosts = hosts.mid(0, MaxHosts);
    }
    return hosts;
}

QString missingValue(const QString &option)
{
    return msg(Msg::MissingValue).arg(option);
}

// The parser takes whatever word follows as the value; a following option means the value
// was forgotten ("--cache-dir --help" must not make a folder named "--help").
void checkValues(const QStringList &words, const QList<QCommandLineOption> &valued, CommandLine &line)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        for (const QCommandLineOption &option : valued) {
            const QString name = QStringLiteral("--") + option.names().first();
            if (words[i] == name && (i + 1 == words.size() || words[i + 1].startsWith(QStringLiteral("--")))) {
                line.problems.append(missingValue(name));
                line.badUsage = true;
            }
        }
    }
}

// An option's value, empty when not given; "--name=" with nothing after it is reported.
QString valueOf(const QCommandLineParser &parser, const QCommandLineOption &option, QStringList &problems)
{
    if (!parser.isSet(option))
        return QString();
    const QString value = parser.value(option);
    if (value.isEmpty())
        problems.append(msg(Msg::EmptyValue).arg(option.names().first()));
    return value;
}

} // namespace

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine line;
    QStringList words;
    for (const QString &arg : args) {
        if (arg.contains(QStringLiteral("deleteall")))
            line.deleteAll = true;
        else
            words.append(arg);
    }

    const QCommandLineOption hosts(QStringLiteral("hosts"), QString(), QStringLiteral("H1,H2,H3"));
    const QCommandLineOption cacheDir(QStringLiteral("cache-dir"), QString(), QStringLiteral("DOSSIER"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("FICHIER"));
    const QCommandLineOption language(QStringLiteral("language"), QString(), QStringLiteral("NOM"));
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    parser.addOptions({hosts, cacheDir, screenshot, language, help, version});
    checkValues(words, {hosts, cacheDir, screenshot, language}, line);

    if (!parser.parse(QStringList{QStringLiteral("cartavent")} + words)) {
        line.badUsage = true;
        // Unknown words are told below and missing values above; anything else in Qt's words.
        if (parser.unknownOptionNames().isEmpty() && line.problems.isEmpty())
            line.problems.append(parser.errorText());
    }
    for (const QString &name : parser.unknownOptionNames())
        line.unknown.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    line.unknown += parser.positionalArguments();
    for (const QString &word : std::as_const(line.unknown))
        line.problems.append(msg(Msg::UnknownArgument).arg(word));
    line.badUsage = line.badUsage || !line.unknown.isEmpty();
    // Even a refused command line is answered in the language it asks for.
    if (parser.isSet(language))
        line.language = parser.value(language);
    if (line.badUsage)
        return line;  // the program stops: its values would only add noise to the report

    if (const QString value = valueOf(parser, hosts, line.problems); !value.isEmpty())
        line.hosts = splitHosts(value, line.problems);
    line.cacheDir = valueOf(parser, cacheDir, line.problems);
    line.screenshot = valueOf(parser, screenshot, line.problems);
    line.language = valueOf(parser, language, line.problems);
    line.showHelp = parser.isSet(help);
    line.showVersion = parser.isSet(version);
    return line;
}

QString loadConsoleLanguage(const CommandLine &line, const QString &dataDir)
{
    const QString saved = SavedSettings::readText(QString::fromLatin1(Language::SettingKey));
    return Language::apply(dataDir, Language::choose(line.language, saved)).warning;
}

// The usage from the message table, one message a line; blank lines part its sections.
QString commandLineUsage()
{
    QString usage;
    for (int n = int(Msg::UsageFirst); n <= int(Msg::UsageLast); ++n) {
        usage += msg(n) + u'\n';
        // After the synopsis (two lines) and after the description.
        if (n == int(Msg::UsageFirst) + 1 || n == int(Msg::UsageFirst) + 2)
            usage += u'\n';
    }
    return usage;
}
