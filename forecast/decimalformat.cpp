#include "forecast/decimalformat.h"

#include <QLocale>
#include <cmath>

namespace {

// decimals: 0 or 1.
QString formatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString();
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const double scale = decimals > 0 ? 10.0 : 1.0;
    // std::round takes halves away from zero; rounding |value| keeps both signs alike.
    const double units = std::round(std::abs(value) * scale);
    // Past 2^63 units the whole part no longer fits an integer; such values have no fraction.
    if (units >= 9.2e18)
        return locale.toString(value, 'f', decimals);
    const qlonglong whole = qlonglong(units / scale);
    QString text;
    if (value < 0 && units > 0)
        text += locale.negativeSign();
    text += locale.toString(whole);
    if (decimals > 0)
        text += locale.decimalPoint() + locale.toString(int(units - double(whole) * scale));
    return text;
}

} // namespace

QString formatOneDecimal(double value)
{
    return formatFixed(value, 1);
}

QString formatWhole(double value)
{
    return formatFixed(value, 0);
}
