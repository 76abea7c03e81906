#include "retrieval/runcommands.h"

#include "shell/textutil.h"

QString downloadAllCaption(int s, int k, int n, const QLocale &locale)
{
    const float percent = float(7.0 * s + k) / float(7.0 * (n + 1.0)) * 100.0f;
    const double rounded = double(roundHalfEven(double(percent) * 100.0)) / 100.0;
    return locale.toString(rounded, 'f', QLocale::FloatingPointShortest) + QStringLiteral(" %");
}
