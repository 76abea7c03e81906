#pragma once
// Faults written on a command line: "PATTERN:OPTION,OPTION;PATTERN:OPTION".
// Options: refuse, hang, nolength, delay=MS, status=404|500, cut=BYTES, trickle=BYTES_PER_SECOND.
// Example: "*065.gif:delay=2000,status=500;Rrea*:cut=100"
#include "mapserver/faulttable.h"

#include <QList>
#include <QPair>
#include <QString>

// False, with a message naming the part that is wrong, for anything not understood.
bool parseFaultList(const QString &text, QList<QPair<QString, Fault>> &faults, QString *error);
