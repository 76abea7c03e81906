#include "mapserver/legendscale.h"

#include "forecast/legends.h"

#include <algorithm>
#include <cmath>

LegendScale::LegendScale(const char *kindKey)
    : m_key(QString::fromLatin1(kindKey))
{
    const QVector<LegendEntry> entries = Legends::instance().entries(kindKey);
    // The temperature decoder reports the stored value plus one: classes are centred there.
    const double offset = m_key == QLatin1String("temp") ? 1.0 : 0.0;
    for (const LegendEntry &e : entries) {
        m_colours.push_back(qRgb(e.r, e.g, e.b));
        m_values.push_back(e.value + offset);
    }
    // Amounts (rain, cloud, storm energy) count from the class's lower bound; the
    // continuous fields go to the nearest class.
    const bool lowerBound = m_key == QLatin1String("prec") || m_key == QLatin1String("nebu")
        || m_key == QLatin1String("orag");
    for (int i = 0; i + 1 < m_values.size(); ++i)
        m_thresholds.push_back(float(lowerBound ? m_values[i + 1] : (m_values[i] + m_values[i + 1]) / 2));
}

int LegendScale::classOf(float value) const
{
    if (std::isnan(value))
        return 0;
    return int(std::upper_bound(m_thresholds.begin(), m_thresholds.end(), value) - m_thresholds.begin());
}

QString LegendScale::label(int index) const
{
    const double v = m_values[index];
    if (m_key == QLatin1String("vent"))
        return QString::number(qRound(v * 1.87));  // knots, shown as the km/h the viewer reads
    return QString::number(v);
}

bool LegendScale::contains(QRgb colour) const
{
    return m_colours.contains(colour | 0xff000000u);
}
