#include "shell/textutil.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

// Blanks are skipped anywhere in a number, as the classic Val function does.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

// Grammar: [sign] digits [. digits] [e|E [sign] digits], blanks allowed between any two
// characters. The exponent is accepted so that numbers written by QString::number in
// scientific form ("1e+06") read back unchanged; an "e" not followed by digits ends the
// number ("12eau" -> 12). A result beyond the double range saturates to the largest finite
// value so callers never see infinity.
double parseLenient(QStringView text)
{
    QString digits;  // compacted number, handed to the C locale converter
    digits.reserve(text.size());
    const qsizetype n = text.size();

    // Appends the run of digits from position at, blanks skipped; true when there was one.
    auto readDigits = [&](qsizetype &at, QString &into) {
        bool any = false;
        for (;; ++at) {
            while (at < n && isBlank(text[at]))
                ++at;
            if (at >= n || !isDigit(text[at]))
                return any;
            into += text[at];
            any = true;
        }
    };
    auto readSign = [&](qsizetype &at, QString &into) {
        while (at < n && isBlank(text[at]))
            ++at;
        if (at < n && (text[at] == u'+' || text[at] == u'-'))
            into += text[at++];
    };

    qsizetype i = 0;
    readSign(i, digits);
    bool anyDigit = readDigits(i, digits);
    if (i < n && text[i] == u'.') {
        ++i;
        digits += u'.';
        anyDigit = readDigits(i, digits) || anyDigit;
    }
    if (!anyDigit)
        return 0.0;

    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        readSign(j, exponent);
        if (readDigits(j, exponent))
            digits += exponent;
    }

    bool ok = false;
    const double value = digits.toDouble(&ok);
    if (ok && std::isfinite(value))
        return value;
    // The text is well formed, so a failure is an overflow or an underflow.
    const bool negative = digits.startsWith(u'-');
    const qsizetype e = digits.indexOf(u'e');
    const bool underflow = e >= 0 && digits.at(e + 1) == u'-';
    if (underflow)
        return 0.0;
    return negative ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
}

// Saturates at the qint64 range; NaN gives 0.
qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775807.0;  // 2^63, not representable as qint64
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    const double floor = std::floor(value);
    const double diff = value - floor;
    double rounded;
    if (diff > 0.5)
        rounded = floor + 1.0;
    else if (diff < 0.5)
        rounded = floor;
    else
        rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
    if (rounded >= limit)
        return std::numeric_limits<qint64>::max();
    return static_cast<qint64>(rounded);
}

namespace {

// Strict UTF-8: rejects overlong forms, surrogates, code points above U+10FFFF and
// sequences cut off at the end of the data.
bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        char32_t minimum;
        if ((c & 0xE0) == 0xC0) {
            extra = 1; cp = c & 0x1F; minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2; cp = c & 0x0F; minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3; cp = c & 0x07; minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 control of the same
// value, as Windows itself converts them.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeCp1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        dst[i] = (c >= 0x80 && c <= 0x9F) ? QChar(cp1252High[c - 0x80]) : QChar(c);
    }
    return out;
}

} // namespace

QString decodeTextFile(const QByteArray &bytes)
{
    if (isValidUtf8(bytes)) {
        // A byte-order mark would otherwise glue itself to the first line's key.
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        return QString::fromUtf8(bom ? bytes.mid(3) : bytes);
    }
    return decodeCp1252(bytes);
}
