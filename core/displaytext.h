#pragma once
// Dates and captions of the map display and the step bar, from the local clock.
#include <QDate>
#include <QDateTime>
#include <QString>

// The system's long date format; empty for an invalid date.
QString longDate(const QDate &date);

// A calendar date from possibly out-of-range parts: month 13 is January of the next year,
// month 0 December of the previous one, day 0 the last day of the previous month.
// Invalid when no such date exists (year 0, absurd parts).
QDate rollDate(int year, int month, int day);

// Window caption in current-run mode: the run of six hours ago, by its date and slot.
QString runCaption(const QDateTime &now);
// Window caption in archive mode.
QString archiveCaption(const QDate &date);

// Step s stands for 6 x s hours ahead.
int stepHours(int step);
QString stepHoursText(int step);                     // Label2: "18h"
QString stepDateText(const QDateTime &now, int step);  // Label14: long date, "  à ", slot, "h"
QString stepFrameTitle(int step);                    // Frame4: "Situation à +18h"
