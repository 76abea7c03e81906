#pragma once
#include <QString>

// A value with one decimal ("#0.0"): at least one digit before the separator, exactly one
// after, no group separator, the decimal separator and minus sign of QLocale().
// Halves round away from zero (12.25 -> 12.3, -0.05 -> -0.1). A value that rounds to
// zero shows no sign: -0.04 is "0.0", never "-0.0".
QString formatOneDecimal(double value);
// The same rules without decimals ("#0"): 27.5 -> 28, -0.4 -> 0.
QString formatWhole(double value);
