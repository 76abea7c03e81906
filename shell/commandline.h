#pragma once
#include <QString>
#include <QStringList>

struct CommandLine {
    QStringList hosts;      // --hosts H1,H2,H3 (host:port each)
    QString cacheDir;       // --cache-dir DIR
    QString screenshot;     // --screenshot FILE
    bool showHelp = false;
    bool showVersion = false;
    bool deleteAll = false; // "deleteall" anywhere in the command line, case-sensitive
    QStringList problems;   // French, one line each: options given without their value
};

// args without the program name; unknown words are ignored.
// --hosts, --cache-dir and --screenshot take their value from the next word or after "=".
CommandLine parseCommandLine(const QStringList &args);
QString commandLineUsage();
