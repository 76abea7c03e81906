#include "forecast/meteogramtext.h"

#include "core/displaytext.h"
#include "forecast/readout.h"
#include "shell/messages.h"

QString meteogramName(PanelRole role)
{
    switch (role) {
    case PanelRole::Temperature: return msg(Msg::MeteogramTemperature);
    case PanelRole::Temperature850: return msg(Msg::MeteogramTemperature850);
    case PanelRole::Precipitation: return msg(Msg::MeteogramPrecipitation);
    case PanelRole::CloudCover: return msg(Msg::MeteogramCloudCover);
    case PanelRole::Wind: return msg(Msg::MeteogramWind);
    case PanelRole::Storm: return msg(Msg::MeteogramStorm);
    }
    return QString();
}

QString meteogramValue(PanelRole role, std::optional<double> mean)
{
    if (!mean)
        return msg(Msg::Unavailable);
    if (role == PanelRole::Storm)
        return msg(stormClassMessage(*mean));
    for (const MeteogramSource &source : meteogramSources()) {
        const PanelQuantity &q = *source.quantity;
        if (q.role == role && q.format)
            return q.format(*mean) + q.unit.text();
    }
    return msg(Msg::Unavailable);
}

int stormLevel(std::optional<double> energy)
{
    if (!energy || *energy <= StormEnergy)
        return 0;
    switch (stormClassMessage(*energy)) {
    case Msg::StormWeak: return 1;
    case Msg::StormModerate: return 2;
    default: return 3;
    }
}

QString meteogramReadout(const MeteogramStep &step, const QDateTime &valid)
{
    QStringList parts;
    for (const MeteogramSource &source : meteogramSources()) {
        const PanelRole role = source.quantity->role;
        const QString value = meteogramValue(role, step.mean(role));
        // The storm class names itself.
        parts << (role == PanelRole::Storm && step.mean(role) ? value : meteogramName(role) + QStringLiteral("\u00A0: ") + value);
    }
    return slotText(valid) + QStringLiteral(" (+") + stepHoursText(step.step) + QStringLiteral(")\n")
        + parts.join(QStringLiteral("   "));
}
