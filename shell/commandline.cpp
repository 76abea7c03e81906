#include "shell/commandline.h"

namespace {

constexpr int MaxHosts = 3;

// The value of an option given as "--name=value" or "--name value". A following word
// that is itself an option is not taken as the value, so "--cache-dir --help" still
// shows the help.
bool takeValue(const QStringList &args, qsizetype &i, const QString &name, QString &value,
               QStringList &problems)
{
    const QString &word = args[i];
    if (word == name) {
        if (i + 1 < args.size() && !args[i + 1].startsWith(QStringLiteral("--"))) {
            value = args[++i];
            return true;
        }
        problems.append(QStringLiteral("Option %1 : valeur manquante, option ignorée.").arg(name));
        return true;
    }
    if (word.startsWith(name + u'=')) {
        value = word.mid(name.size() + 1);
        if (value.isEmpty())
            problems.append(QStringLiteral("Option %1 : valeur vide, option ignorée.").arg(name));
        return true;
    }
    return false;
}

// Positions matter (server 1, 2, 3), so an empty entry stays empty rather than shifting.
QStringList splitHosts(const QString &value, QStringList &problems)
{
    QStringList hosts;
    if (value.isEmpty())
        return hosts;
    for (const QString &host : value.split(u','))
        hosts.append(host.trimmed());
    if (hosts.size() > MaxHosts) {
        problems.append(QStringLiteral("Option --hosts : %1 serveurs donnés, seuls les trois premiers "
                                       "sont utilisés.").arg(hosts.size()));
        hosts = hosts.mid(0, MaxHosts);
    }
    return hosts;
}

} // namespace

CommandLine parseCommandLine(const QStringList &args)
{
    CommandLine line;
    line.deleteAll = args.join(u' ').contains(QStringLiteral("deleteall"));

    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &word = args[i];
        QString value;
        if (takeValue(args, i, QStringLiteral("--hosts"), value, line.problems)) {
            if (!value.isEmpty())
                line.hosts = splitHosts(value, line.problems);
        } else if (takeValue(args, i, QStringLiteral("--cache-dir"), value, line.problems)) {
            if (!value.isEmpty())
                line.cacheDir = value;
        } else if (takeValue(args, i, QStringLiteral("--screenshot"), value, line.problems)) {
            if (!value.isEmpty())
                line.screenshot = value;
        } else if (word == QStringLiteral("--help")) {
            line.showHelp = true;
        } else if (word == QStringLiteral("--version")) {
            line.showVersion = true;
        }
    }
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
