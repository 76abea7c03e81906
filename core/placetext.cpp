#include "core/placetext.h"

#include "shell/settings.h"

#include <cmath>

QString decimalText(double value)
{
    QString text = QString::number(value, 'f', 6);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

float savedPlace(const QString &key)
{
    constexpr double DefaultPlace = 4000;
    constexpr double Limit = 1.0e7;  // far beyond any map, well inside float and int
    const double value = SavedSettings::readNumber(key, DefaultPlace);
    return float(std::abs(value) <= Limit ? value : DefaultPlace);
}
