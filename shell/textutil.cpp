#include "shell/textutil.h"

#include <QFile>
#include <QStringDecoder>

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

std::optional<QString> readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeTextFile(bytes);
}

QString decodeTextFile(const QByteArray &bytes)
{
    if (bytes.isValidUtf8()) {
        // A byte-order mark would otherwise glue itself to the first line's key.
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        return QString::fromUtf8(bom ? bytes.mid(3) : bytes);
    }
    QStringDecoder windows1252("windows-1252");
    if (!windows1252.isValid())  // a Qt built without the codec: the Latin-1 part still reads
        return QString::fromLatin1(bytes);
    return windows1252(bytes);
}
