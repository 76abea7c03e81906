#include "forecast/readout.h"

#include "shell/messages.h"

#include <QLocale>
#include <cmath>

namespace {

// Shortest decimal form with the locale's separator: "-3.5", "12", never "-0".
QString shortestDecimal(double value)
{
    if (value == 0)
        value = 0;  // drops the sign of -0
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

// Rounds down, except that a value a rounding error below a whole number counts as that
// number: (0.1 + 0.1 + 1) / 3 * 10 is 3.9999999999999996 and must show 0.4, not 0.3.
double floorTolerant(double value)
{
    const double nearest = std::round(value);
    return std::abs(value - nearest) < 1e-9 ? nearest : std::floor(value);
}

} // namespace

ReadoutRule readoutRule(bool archiveMode, bool archive850, int kindNumber)
{
    if (archiveMode)
        return archive850 ? ReadoutRule::P850 : ReadoutRule::P500;
    switch (kindNumber) {
    case 1: return ReadoutRule::Temp;
    case 2: return ReadoutRule::Prec;
    case 3: return ReadoutRule::Nebu;
    case 4: return ReadoutRule::P850;
    case 6: return ReadoutRule::P500;
    case 7: return ReadoutRule::Vent;
    default: return ReadoutRule::Orag;
    }
}

Decoder readoutDecoder(ReadoutRule rule)
{
    switch (rule) {
    case ReadoutRule::P850: return &GetP850;
    case ReadoutRule::Temp: return &GetTemp;
    case ReadoutRule::Prec: return &GetPrec;
    case ReadoutRule::Nebu: return &GetNebu;
    case ReadoutRule::P500: return &GetP500;
    case ReadoutRule::Vent: return &GetVent;
    case ReadoutRule::Orag: return &GetOrag;
    }
    return &GetOrag;
}

std::optional<double> readoutAverage(ReadoutRule rule, std::span<const qint32> colours)
{
    const Decoder decode = readoutDecoder(rule);
    double sum = 0;
    int count = 0;
    for (qint32 colour : colours) {
        // A point off the picture is no sample, for every legend: GetPrec alone would
        // read it as an empty 0 mm and dilute the rain near the border.
        if (colour < 0)
            continue;
        const Decoded d = decode(colour);
        if (d.isNoMatch())
            continue;
        sum += d.sumValue();
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}

Msg stormClassMessage(double average)
{
    // The classes as first drawn left averages of at most 0, above 700 up to 900, and
    // exactly 1600 unclassed, and the box then kept an older text. The gap 700..900 is
    // split at its middle (the legend's 800 step); each class includes its upper end.
    if (average <= 800)
        return Msg::StormWeak;
    if (average <= 1600)
        return Msg::StormModerate;
    return Msg::StormStrong;
}

QString readoutText(ReadoutRule rule, std::optional<double> average)
{
    if (!average)
        return msg(Msg::Unavailable);
    const double avg = *average;
    const double tenths = floorTolerant(avg * 10) / 10;
    const double whole = floorTolerant(avg);
    switch (rule) {
    case ReadoutRule::P850:
    case ReadoutRule::Temp: return shortestDecimal(tenths) + QStringLiteral("°C");
    case ReadoutRule::Prec: return shortestDecimal(tenths) + msg(Msg::PrecipitationUnit);
    case ReadoutRule::Nebu: return shortestDecimal(whole) + msg(Msg::PercentUnit);
    case ReadoutRule::P500: return shortestDecimal(whole) + msg(Msg::HeightUnit);
    case ReadoutRule::Vent: return shortestDecimal(whole) + msg(Msg::WindUnit);
    case ReadoutRule::Orag: return msg(stormClassMessage(avg));
    }
    return msg(Msg::Unavailable);
}
