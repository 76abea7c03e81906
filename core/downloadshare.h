#pragma once
// Progress of "Télécharger tout".
#include <QLocale>
#include <QString>

// Caption of "Télécharger tout" after kind k (1..7) of step s, with maximum step n:
// the share done, rounded to two decimals (halves to even), in the user's format, then a no-break space and "%".
QString downloadAllCaption(int s, int k, int n, const QLocale &locale);
