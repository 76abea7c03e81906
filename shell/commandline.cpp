#include "shell/commandline.h"

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
        problems.append(QStringLiteral("Option --hosts : %1 serveurs donnés, seuls les trois premiers "
                                       "sont utilisés.").arg(hosts.size()));
        hosts = hosts.mid(0, MaxHosts);
    }
    return hosts;
}

QString missingValue(const QString &option)
{
    return QStringLiteral("Option %1 : valeur manquante, option ignorée.").arg(option);
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
        problems.append(QStringLiteral("Option --%1 : valeur vide, option ignorée.").arg(option.names().first()));
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
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    QCommandLineParser parser;
    parser.addOptions({hosts, cacheDir, screenshot, help, version});
    checkValues(words, {hosts, cacheDir, screenshot}, line);

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
        line.problems.append(QStringLiteral("Argument inconnu : %1").arg(word));
    line.badUsage = line.badUsage || !line.unknown.isEmpty();
    if (line.badUsage)
        return line;  // the program stops: its values would only add noise to the report

    if (const QString value = valueOf(parser, hosts, line.problems); !value.isEmpty())
        line.hosts = splitHosts(value, line.problems);
    line.cacheDir = valueOf(parser, cacheDir, line.problems);
    line.screenshot = valueOf(parser, screenshot, line.problems);
    line.showHelp = parser.isSet(help);
    line.showVersion = parser.isSet(version);
    return line;
}

QString commandLineUsage()
{
    return QStringLiteral(
        "Utilisation : cartavent [--hosts H1,H2,H3] [--cache-dir DOSSIER] [--screenshot FICHIER]\n"
        "                        [--help] [--version] [deleteall]\n"
        "\n"
        "Visionneuse des cartes de prévision du modèle GFS.\n"
        "\n"
        "  --hosts H1,H2,H3      hôte:port des serveurs de cartes 1, 2 et 3 (http).\n"
        "                        Sans cette option : réglages « Servers » (host1 à host3),\n"
        "                        sinon le serveur de démonstration intégré.\n"
        "  --cache-dir DOSSIER   dossier du cache des cartes et du journal log.txt\n"
        "                        (par défaut : le dossier du programme s'il est accessible\n"
        "                        en écriture, sinon le cache de l'utilisateur).\n"
        "  --screenshot FICHIER  démarre, enregistre la fenêtre principale en PNG puis quitte.\n"
        "  --help                affiche cette aide.\n"
        "  --version             affiche la version.\n"
        "  deleteall             vide le cache des cartes de prévision au démarrage.\n");
}
