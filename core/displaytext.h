#pragma once
// Dates and captions of the map display and the step bar. Runs and valid times are the
// six-hour slots of the UTC clock, as the map servers name them.
#include <QDate>
#include <QDateTime>
#include <QString>

// The default locale's long date format; empty for an invalid date.
QString longDate(const QDate &date);

// A calendar date from possibly out-of-range parts: month 13 is January of the next year,
// month 0 December of the previous one, day 0 the last day of the previous month.
// Invalid when no such date exists (year 0, absurd parts).
QDate rollDate(int year, int month, int day);

// The run servers hold at `now`: the start of the six-hour UTC slot before the current one.
QDateTime runSlot(const QDateTime &now);
// The time step s is valid for: run + 6 x (s + 1) hours, the current slot for step 0.
QDateTime validSlot(const QDateTime &now, int step);
// "lundi 7 décembre 2026 à 18h UTC": the long date of the default locale, then the UTC hour,
// as message 155 puts them.
QString slotText(const QDateTime &slot);

// Window caption in current-run mode: message 76, then the run's slotText.
QString runCaption(const QDateTime &now);
// Window caption in archive mode.
QString archiveCaption(const QDate &date);

// Step s stands for 6 x s hours after the current slot.
int stepHours(int step);
QString stepHoursText(int step);                     // Label2: "18h"
QString stepDateText(const QDateTime &now, int step);  // Label14: slotText of validSlot
QString stepFrameTitle(int step);                    // Frame4: "Situation à +18h"
