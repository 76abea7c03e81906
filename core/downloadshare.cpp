#include "core/downloadshare.h"

#include "shell/messages.h"

#include <cmath>

QString downloadAllCaption(int s, int k, int n, const QLocale &locale)
{
    const float percent = float(7.0 * s + k) / float(7.0 * (n + 1.0)) * 100.0f;
    // nearbyint rounds halves to even in the default rounding mode.
    const double rounded = std::nearbyint(double(percent) * 100.0) / 100.0;
    return locale.toString(rounded, 'f', QLocale::FloatingPointShortest) + msg(Msg::PercentUnit);
}
