// Saved settings values (dx, dy, num, help ...) as a user may have edited them: the lenient
// number reading, the rounding, and the one-decimal text of a number.
#include "forecast/decimalformat.h"
#include "fuzzinput.h"
#include "shell/textutil.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double value = parseLenient(text);
    if (!std::isfinite(value))
        qFatal("parseLenient gave a value that is not finite");
    roundHalfEven(value);
    const QString shown = formatOneDecimal(value);
    // The text must read back as the same number, to one decimal.
    const double again = parseLenient(shown);
    if (std::abs(value) < 1e15 && std::abs(again - value) > 0.05 + std::abs(value) * 1e-12)
        qFatal("\"%s\" read back as %f, not %f", qPrintable(shown), again, value);
    return 0;
}
