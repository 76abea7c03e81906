#include "forecast/pictogram.h"

#include "shell/paths.h"

namespace {

enum class Rain { Dry, Light, Heavy };

Rain rainClass(float prec)
{
    if (prec < 0.1f)
        return Rain::Dry;
    return prec < 2.0f ? Rain::Light : Rain::Heavy;
}

int cloudClass(float nebu)
{
    if (nebu < 10.0f)
        return 0;
    if (nebu < 30.0f)
        return 1;
    return nebu < 70.0f ? 2 : 3;
}

} // namespace

qint16 getpicto(float temp, float nebu, float p850, float prec, float orag)
{
    const bool snow = temp < 1.0f && p850 < -2.0f;
    const Rain rain = rainClass(prec);
    const int cloud = cloudClass(nebu);

    if (orag > StormEnergy)
        return rain == Rain::Heavy ? 18 : 13;
    if (rain == Rain::Dry) {
        static constexpr qint16 dry[4] = {1, 4, 5, 6};
        return dry[cloud];
    }
    if (cloud < 3)
        return snow ? 10 : 7;
    if (rain == Rain::Heavy)
        return snow ? 12 : 8;
    return snow ? 11 : 14;
}

QString pictogramFile(const QString &programDir, int number)
{
    return joinPath(programDir, QStringLiteral("picto/pt_%1.gif").arg(number));
}
