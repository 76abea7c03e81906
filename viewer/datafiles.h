#pragma once
// The files the program reads from its data folder, and a warning for each one missing.
#include <QStringList>

class EventLog;

// Relative to the data folder: the language file, the help text, the pictograms.
QStringList dataFileNames();

// Those of dataFileNames() that are not files in folder, as full paths.
QStringList missingDataFiles(const QString &folder);

// A broken installation names what it lacks, in the log and on stderr, where whoever
// started the program from a terminal sees it; the program goes on with what it has.
void reportMissingDataFiles(const QString &folder, EventLog &log);
