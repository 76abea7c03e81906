#pragma once
// Pure rules of the run commands.
#include <QLocale>
#include <QString>

// Largest maximum step: its hours (6 x step) must fit the 16-bit arithmetic of the step labels.
constexpr int MaxStepLimit = 5461;

// Caption of "Télécharger tout" after kind k (1..7) of step s, with maximum step n:
// the share done, rounded to two decimals (halves to even), in the user's format, then " %".
QString downloadAllCaption(int s, int k, int n, const QLocale &locale);
