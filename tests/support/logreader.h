#pragma once
#include <QString>
#include <QStringList>

// The messages of an event log file, without their date and time prefix.
QStringList readLogMessages(const QString &path);
