#include "mapserver/weathermodel.h"

#include "mapserver/fastmath.h"
#include "mapserver/geography.h"
#include "mapserver/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr double kLowPeriod = 28;    // hours between two lows entering the map
constexpr double kHighPeriod = 60;
constexpr float kKtPerGradient = 260; // geostrophic wind per hPa/pixel, with friction applied later

float smoothstep(float e0, float e1, float x)
{
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}


double floorMod(double a, double m)
{
    return a - m * std::floor(a / m);
}

// Spread of a forecast around the analysis: grows with lead time, differs per run.
float runJitter(int run, qint64 k, quint32 salt, double lead)
{
    if (run == 0 || lead <= 0)
        return 0;
    return float(lead / 24.0) * (hashUnit(quint32(run), quint32(k), salt) * 2.0f - 1.0f);
}

} // namespace

WeatherModel::WeatherModel(double validHour, int run, double leadHours)
    : m_hour(validHour)
{
    const double dayOfYear = floorMod(validHour / 24.0, 365.2425);
    m_season = float(std::cos(2.0 * M_PI * (dayOfYear - 200.0) / 365.2425));
    m_hourOfDay = float(floorMod(validHour, 24.0));
    // The texture moves east with the flow; wrapping keeps single precision usable.
    m_driftX = float(floorMod(validHour * 3.5, 70.0 * 4096.0));
    addLows(run, leadHours);
    addHighs(run, leadHours);
    addPermanentSystems();
}

void WeatherModel::addLows(int run, double lead)
{
    const qint64 last = qint64(std::floor(m_hour / kLowPeriod)) + 1;
    for (qint64 k = last - 8; k <= last; ++k) {
        const quint32 key = quint32(k);
        const double born = k * kLowPeriod + (hashUnit(key, 1) - 0.5) * 10.0;
        const float life = 80.0f + 60.0f * hashUnit(key, 2);
        const float age = float(m_hour - born);
        if (age < 0 || age > life)
            continue;
        const float phase = age / life;
        const float x0 = -200.0f + 130.0f * hashUnit(key, 3);
        const float y0 = 120.0f + 250.0f * hashUnit(key, 4) - 50.0f * m_season;
        const float vx = 3.4f + 2.2f * hashUnit(key, 5);
        const float vy = (hashUnit(key, 6) - 0.65f) * 1.3f;
        const float depth = (14.0f + 24.0f * hashUnit(key, 7)) * (1.0f - 0.3f * m_season);
        PressureSystem s;
        s.x = x0 + vx * age * (1.0f - 0.3f * phase) + 14.0f * runJitter(run, k, 8, lead);
        s.y = y0 + vy * age + 10.0f * runJitter(run, k, 9, lead);
        s.amplitude = -depth * std::pow(std::sin(kPi * phase), 0.6f) * (1.0f + 0.12f * runJitter(run, k, 10, lead));
        s.radius = 85.0f + 60.0f * hashUnit(key, 11) + 45.0f * phase;
        s.age = age;
        s.life = life;
        m_systems.push_back(s);
    }
}

void WeatherModel::addHighs(int run, double lead)
{
    const qint64 last = qint64(std::floor(m_hour / kHighPeriod)) + 1;
    for (qint64 k = last - 5; k <= last; ++k) {
        const quint32 key = quint32(k) ^ 0x5a5a5a5au;
        const double born = k * kHighPeriod + (hashUnit(key, 1) - 0.5) * 20.0;
        const float life = 130.0f + 90.0f * hashUnit(key, 2);
        const float age = float(m_hour - born);
        if (age < 0 || age > life)
            continue;
        const float phase = age / life;
        PressureSystem s;
        s.x = -150.0f + 220.0f * hashUnit(key, 3) + (1.4f + 1.6f * hashUnit(key, 5)) * age
            + 10.0f * runJitter(run, k, 12, lead);
        s.y = 300.0f + 170.0f * hashUnit(key, 4) - 60.0f * m_season - 0.4f * age;
        s.amplitude = (8.0f + 13.0f * hashUnit(key, 7)) * std::pow(std::sin(kPi * phase), 0.5f);
        s.radius = 170.0f + 90.0f * hashUnit(key, 11);
        s.age = age;
        s.life = life;
        m_systems.push_back(s);
    }
}

void WeatherModel::addPermanentSystems()
{
    // Subtropical high in the south-west, stronger and further north in summer.
    m_systems.push_back({150.0f, 500.0f - 60.0f * m_season, 7.0f + 5.0f * m_season, 230.0f, 0, 0});
    // Winter high over the cold east of the continent.
    if (m_season < 0)
        m_systems.push_back({900.0f, 190.0f, -14.0f * m_season, 260.0f, 0, 0});
    // Summer heat low over the southern continent.
    if (m_season > 0)
        m_systems.push_back({620.0f, 650.0f, -6.0f * m_season, 200.0f, 0, 0});
}

float WeatherModel::pressure(float x, float y) const
{
    float p = 1014.0f + 0.035f * (y - 330.0f);
    for (const PressureSystem &s : m_systems) {
        const float dx = x - s.x;
        const float dy = y - s.y;
        p += s.amplitude * expNeg(-(dx * dx + dy * dy) / (s.radius * s.radius));
    }
    return p;
}

float WeatherModel::pressureGradient(float x, float y, float &gx, float &gy) const
{
    float p = 1014.0f + 0.035f * (y - 330.0f);
    gx = 0;
    gy = 0.035f;
    for (const PressureSystem &s : m_systems) {
        const float dx = x - s.x;
        const float dy = y - s.y;
        const float r2 = s.radius * s.radius;
        const float term = s.amplitude * expNeg(-(dx * dx + dy * dy) / r2);
        p += term;
        gx += term * (-2.0f * dx / r2);
        gy += term * (-2.0f * dy / r2);
    }
    return p;
}

WeatherSample WeatherModel::sample(float x, float y) const
{
    return sample(x, y, siteAt(x, y));
}

WeatherSample WeatherModel::sample(float x, float y, const Site &site) const
{
    WeatherSample w;
    float gx = 0, gy = 0;
    w.mslp = pressureGradient(x, y, gx, gy);

    const float lat = site.lat;
    const float land = site.land;
    const float height = site.height;
    const float localHour = m_hourOfDay + site.lon / 15.0f;

    // Fronts, warm sectors and cold air of every low.
    float frontBand = 0, warmBand = 0, lowCore = 0, lowInfluence = 0, highInfluence = 0, airMass = 0;
    for (const PressureSystem &s : m_systems) {
        const float dx = x - s.x;
        const float dy = y - s.y;
        const float d2 = (dx * dx + dy * dy) / (s.radius * s.radius);
        if (d2 > 40.0f)
            continue;  // too far to matter
        if (s.amplitude > 0) {
            highInfluence += s.amplitude / 15.0f * expNeg(-d2);
            continue;
        }
        const float strength = -s.amplitude / 30.0f;
        lowInfluence += strength * expNeg(-d2 / 2.0f);
        lowCore += strength * expNeg(-d2 / 0.35f);
        if (s.life <= 0)
            continue;
        const float length = 280.0f * std::min(1.0f, s.age / 30.0f);
        const float startX = s.x + 0.45f * s.radius;
        // Cold front: trails south-west from the centre, bowed to the east.
        const float along = dy;
        const float frontX = startX - 0.55f * along + 0.0008f * along * along;
        const float taperCold = smoothstep(-15.0f, 25.0f, along) * (1.0f - smoothstep(0.7f * length, length, along));
        const float coldDist = (x - frontX) / (16.0f + 10.0f * s.age / s.life);
        frontBand += strength * taperCold * expNeg(-coldDist * coldDist);
        // Warm front: runs east-south-east; its rain falls on the cold side ahead of it.
        const float alongWarm = x - startX;
        const float frontY = s.y + 0.1f * s.radius + 0.42f * alongWarm;
        const float taperWarm = smoothstep(-15.0f, 20.0f, alongWarm) * (1.0f - smoothstep(0.45f * length, 0.7f * length, alongWarm));
        const float warmDist = (y - (frontY - 22.0f)) / 30.0f;
        warmBand += strength * taperWarm * expNeg(-warmDist * warmDist);
        // Warm sector between the two fronts, cold air behind the cold front.
        const float near = expNeg(-d2 / 6.0f);
        const float sector = logistic((x - frontX) / 14.0f) * logistic((y - frontY) / 14.0f) * near;
        const float behind = logistic((frontX - x) / 25.0f) * smoothstep(-40.0f, 40.0f, along) * near;
        airMass += strength * (7.0f * sector - 8.0f * behind);
    }

    const float texture = fractalNoise(x - m_driftX, y, 90.0f, 3, 501u);
    const float cells = fractalNoise(x - m_driftX, y, 24.0f, 2, 733u);

    // Temperatures: colder northwards, land warmer in summer and by day, colder in winter.
    const float tLat = 25.0f - 0.72f * (lat - 30.0f) + m_season * (4.5f + 0.13f * (lat - 30.0f));
    const float continental = land * (m_season * 5.0f - std::max(0.0f, -m_season) * 6.0f * std::max(0.0f, x - 350.0f) / 400.0f);
    w.t850 = tLat - 10.5f + 0.8f * m_season + 1.3f * airMass + 1.5f * land * m_season;

    float cloud = 32.0f + 55.0f * lowInfluence + 75.0f * std::max(frontBand, 0.9f * warmBand)
        - 40.0f * highInfluence + 26.0f * texture;
    cloud += land * std::max(0.0f, m_season) * 20.0f * std::max(0.0f, std::cos(2.0f * kPi * (localHour - 15.0f) / 24.0f));
    w.cloud = std::clamp(cloud, 0.0f, 100.0f);

    // Short winter days warm the land less.
    const float diurnal = std::cos(2.0f * kPi * (localHour - 15.0f) / 24.0f) * (1.0f + (3.5f + 2.0f * m_season) * land)
        * (1.0f - 0.55f * w.cloud / 100.0f);
    w.t2m = tLat + continental + diurnal + airMass - 6.5f * height;

    // 500 hPa: follows the warmth of the column, troughs lag a little behind the surface lows.
    w.z500 = 553.0f + 1.25f * w.t850 + 0.5f * (pressure(x + 45.0f, y) - 1014.0f);

    // Wind: geostrophic, turned towards low pressure and slowed over land.
    const float friction = 0.82f - 0.3f * land;
    const float gust = 1.0f + 0.35f * frontBand;
    w.windX = (gy - 0.35f * gx) * kKtPerGradient * friction * gust;
    w.windY = (-gx - 0.35f * gy) * kKtPerGradient * friction * gust;
    w.wind = std::min(60.0f, std::hypot(w.windX, w.windY));

    // Storm energy: warm, moist air near the ground under a not too warm 850 hPa layer.
    const float moisture = 0.35f + 0.8f * w.cloud / 100.0f;
    float cape = ((w.t2m - 17.0f) * 85.0f + (w.t850 - 8.0f) * 60.0f) * moisture * (0.75f + 0.5f * cells);
    cape += 700.0f * frontBand * smoothstep(6.0f, 14.0f, w.t850);
    w.cape = std::clamp(cape, 0.0f, 3000.0f);

    // Rain: fronts and the core of lows, showers where storm energy is high; none under clear skies.
    float precip = (9.0f * frontBand + 5.0f * warmBand + 4.0f * lowCore) * (0.65f + 0.45f * texture);
    precip += w.cape / 1000.0f * 7.0f * std::max(0.0f, cells + 0.1f);
    w.precip = std::max(0.0f, precip) * smoothstep(50.0f, 78.0f, w.cloud);
    return w;
}
