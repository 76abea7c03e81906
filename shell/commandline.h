#pragma once
#include <QString>
#include <QStringList>

struct CommandLine {
    QStringList hosts;      // --hosts H1,H2,H3 (host:port each)
    QString cacheDir;       // --cache-dir DIR
    QString screenshot;     // --screenshot FILE
    QString language;       // --language NAME
    bool showHelp = false;
    bool showVersion = false;
    bool deleteAll = false; // "deleteall" anywhere in the command line, case-sensitive
    QStringList unknown;    // options and words not understood, as "--name", "-x" or the word
    bool badUsage = false;  // unknown words or a missing value: show the usage, exit status 2
    QStringList problems;   // one line each, for the user, from the message table
};

// args without the program name. --hosts, --cache-dir and --screenshot take their value
// from the next word or after "="; a word containing "deleteall" is never an option.
CommandLine parseCommandLine(const QStringList &args);
// The language the answers given without a window are written in: the command line's, else
// the saved one. Returns why it could not be had; empty when it is in force.
QString loadConsoleLanguage(const CommandLine &line, const QString &dataDir);
QString commandLineUsage();
