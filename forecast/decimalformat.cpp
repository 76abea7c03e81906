#include "forecast/decimalformat.h"

#include <QLocale>
#include <cmath>

QString formatOneDecimal(double value)
{
    if (!std::isfinite(value))
        return QString();
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // std::round takes halves away from zero; rounding |value| keeps both signs alike.
    const double tenths = std::round(std::abs(value) * 10.0);
    // Past 2^63 tenths the whole part no longer fits an integer; such values have no tenths.
    if (tenths >= 9.2e18)
        return locale.toString(value, 'f', 1);
    const qlonglong whole = qlonglong(tenths / 10.0);
    const int fraction = int(tenths - double(whole) * 10.0);
    QString text;
    if (value < 0 && tenths > 0)
        text += locale.negativeSign();
    text += locale.toString(whole);
    text += locale.decimalPoint();
    text += locale.toString(fraction);
    return text;
}
