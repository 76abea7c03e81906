#include "mapserver/weathermodel.h"

#include "mapserver/fastmath.h"
#include "mapserver/geography.h"
#include "mapserver/noise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kKtPerGradient = 260; // geostrophic wind per hPa/pixel, with friction applied later
constexpr float kUpstreamShift = 45;  // pixels east: upper troughs lag behind the surface lows

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

// Lows and highs each enter the map one per period, born a little early or late, and live
// a lifetime of their own.
struct Generation {
    double period;       // hours between two entering the map
    int count;           // how many of the latest ones can still be alive
    quint32 keyMask;     // keeps the highs' draws apart from the lows'
    double birthSpread;  // hours
    float minLife, lifeSpread;
};

constexpr Generation kLows{28, 8, 0u, 10.0, 80.0f, 60.0f};
constexpr Generation kHighs{60, 5, 0x5a5a5a5au, 20.0, 130.0f, 90.0f};

struct Living {
    qint64 k;
    quint32 key;
    float age, life, phase;
};

QVector<Living> livingAt(double hour, const Generation &g)
{
    QVector<Living> alive;
    const qint64 last = qint64(std::floor(hour / g.period)) + 1;
    for (qint64 k = last - g.count; k <= last; ++k) {
        const quint32 key = quint32(k) ^ g.keyMask;
        const double born = k * g.period + (hashUnit(key, 1) - 0.5) * g.birthSpread;
        const float life = g.minLife + g.lifeSpread * hashUnit(key, 2);
        const float age = float(hour - born);
        if (age < 0 || age > life)
            continue;
        alive.push_back({k, key, age, life, age / life});
    }
    return alive;
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
    for (const auto &[k, key, age, life, phase] : livingAt(m_hour, kLows)) {
        // Born off Newfoundland, along a track that runs north of the Azores towards Iceland
        // and Scandinavia; further north in summer.
        const float x0 = -200.0f + 130.0f * hashUnit(key, 3);
        const float y0 = 110.0f + 240.0f * hashUnit(key, 4) - 50.0f * m_season;
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
    for (const auto &[k, key, age, life, phase] : livingAt(m_hour, kHighs)) {
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
    // Azores high, stronger and further north in summer.
    m_systems.push_back({80.0f, 470.0f - 50.0f * m_season, 7.0f + 5.0f * m_season, 230.0f, 0, 0});
    // The western arm of the Siberian high over Russia in winter.
    if (m_season < 0)
        m_systems.push_back({760.0f, 110.0f, -14.0f * m_season, 260.0f, 0, 0});
    // Saharan heat low in summer.
    if (m_season > 0)
        m_systems.push_back({620.0f, 650.0f, -6.0f * m_season, 200.0f, 0, 0});
}

float WeatherModel::pressure(float x, float y) const
{
    float gx = 0, gy = 0, upstream = 0;
    return pressureGradient(x, y, gx, gy, upstream);
}

float WeatherModel::pressureGradient(float x, float y, float &gx, float &gy, float &upstream) const
{
    const float background = 1014.0f + 0.035f * (y - 330.0f);
    float p = background;
    upstream = background;
    gx = 0;
    gy = 0.035f;
    for (const PressureSystem &s : m_systems) {
        const float dx = x - s.x;
        const float dy = y - s.y;
        const float r2 = s.radius * s.radius;
        const float inv = -1.0f / r2;
        const float term = s.amplitude * expNeg((dx * dx + dy * dy) * inv);
        p += term;
        gx += term * 2.0f * dx * inv;
        gy += term * 2.0f * dy * inv;
        const float ux = dx + kUpstreamShift;
        upstream += s.amplitude * expNeg((ux * ux + dy * dy) * inv);
    }
    return p;
}

WeatherSample WeatherModel::sample(float x, float y) const
{
    return sample(x, y, siteAt(x, y));
}


namespace {

// What the pressure systems near a place add up to.
struct SystemFields {
    float frontBand = 0, warmBand = 0, lowCore = 0, lowInfluence = 0, highInfluence = 0, airMass = 0, warmSector = 0;
};

// The small-scale texture and the sun, which clouds, warmth and showers all follow.
struct LocalConditions {
    float texture;    // broad patches that drift with the flow
    float cells;      // for the showers
    float afternoon;  // 0 at night, 1 at 15 h local time
    float summer;     // 0 in winter
};

void addFronts(SystemFields &f, const PressureSystem &s, float strength, float x, float y, float d2)
{
    const float length = 280.0f * std::min(1.0f, s.age / 30.0f);
    const float startX = s.x + 0.45f * s.radius;
    // Cold front: trails south-west from the centre, bowed to the east.
    const float along = y - s.y;
    const float frontX = startX - 0.55f * along + 0.0008f * along * along;
    const float taperCold = smoothstep(-15.0f, 25.0f, along) * (1.0f - smoothstep(0.7f * length, length, along));
    const float coldDist = (x - frontX) / (16.0f + 10.0f * s.age / s.life);
    f.frontBand += strength * taperCold * expNeg(-coldDist * coldDist);
    // Warm front: runs east-south-east; its rain falls on the cold side ahead of it.
    const float alongWarm = x - startX;
    const float frontY = s.y + 0.1f * s.radius + 0.42f * alongWarm;
    const float taperWarm = smoothstep(-15.0f, 20.0f, alongWarm) * (1.0f - smoothstep(0.45f * length, 0.7f * length, alongWarm));
    const float warmDist = (y - (frontY - 22.0f)) / 30.0f;
    f.warmBand += strength * taperWarm * expNeg(-warmDist * warmDist);
    // Warm sector between the two fronts, cold air behind the cold front.
    const float near = expNeg(-d2 / 6.0f);
    const float sector = logistic((x - frontX) / 14.0f) * logistic((y - frontY) / 14.0f) * near;
    const float behind = logistic((frontX - x) / 25.0f) * smoothstep(-40.0f, 40.0f, along) * near;
    f.airMass += strength * (7.0f * sector - 8.0f * behind);
    f.warmSector += strength * sector;
}

SystemFields systemFields(const QVector<PressureSystem> &systems, float x, float y)
{
    SystemFields f;
    for (const PressureSystem &s : systems) {
        const float dx = x - s.x;
        const float dy = y - s.y;
        const float d2 = (dx * dx + dy * dy) / (s.radius * s.radius);
        if (d2 > 40.0f)
            continue;  // too far to matter
        if (s.amplitude > 0) {
            f.highInfluence += s.amplitude / 15.0f * expNeg(-d2);
            continue;
        }
        const float strength = -s.amplitude / 30.0f;
        f.lowInfluence += strength * expNeg(-d2 / 2.0f);
        f.lowCore += strength * expNeg(-d2 / 0.35f);
        if (s.life > 0)  // permanent systems have no fronts
            addFronts(f, s, strength, x, y, d2);
    }
    // Warm sectors a few degrees above the season, cold outbreaks some more below it.
    f.airMass = std::clamp(f.airMass, -8.0f, 6.0f);
    return f;
}

LocalConditions localConditions(float driftedX, float y, float localHour, float season)
{
    LocalConditions c;
    c.texture = fractalNoise(driftedX, y, 120.0f, 2, 501u);
    c.cells = fractalNoise(driftedX, y, 24.0f, 2, 733u);
    c.afternoon = std::max(0.0f, std::cos(2.0f * kPi * (localHour - 15.0f) / 24.0f));
    c.summer = std::max(0.0f, season);
    return c;
}

float cloudCover(const SystemFields &f, const LocalConditions &c, const Site &site, float season)
{
    // Shields ahead of the warm fronts, bands along the cold fronts, the grey warm sector and
    // the cores of lows; clear skies under highs; fair-weather cumulus on summer afternoons.
    float cloud = 18.0f + 45.0f * f.lowInfluence + 80.0f * std::max(f.frontBand, 0.95f * f.warmBand) + 30.0f * f.warmSector
        - 45.0f * f.highInfluence + 14.0f * c.texture;
    cloud += site.land * c.summer * c.afternoon * (18.0f + 14.0f * c.cells);
    // Winter highs over the continent trap low stratus under their inversion.
    cloud += 70.0f * std::max(0.0f, -season) * site.inland * std::min(1.0f, f.highInfluence);
    return std::clamp(cloud, 0.0f, 100.0f);
}

// Needs the cloud cover: clouds damp the daily swing.
void setTemperatures(WeatherSample &w, const Site &site, float airMass, float summer, float localHour, float season)
{
    const float lat = site.lat;
    const float land = site.land;
    // Climate: the yearly mean falls northwards; the seasons swing more inland and further
    // east (the Atlantic keeps its coasts mild); the ground cools with height.
    const float east = std::clamp((site.lon + 10.0f) / 50.0f, 0.0f, 1.0f);
    const float continental = site.inland * (0.6f + 0.4f * east);
    const float yearly = 22.0f - 0.55f * (lat - 30.0f);
    const float swing = 3.0f + 0.06f * (lat - 30.0f) + continental * (4.0f + 0.15f * std::max(0.0f, lat - 30.0f));
    // Continental winters are colder than their summers are warm.
    const float winterCold = 3.0f * continental * east * std::max(0.0f, -season);
    // Long summer days warm the land a lot, short winter days little.
    const float diurnal = std::cos(2.0f * kPi * (localHour - 15.0f) / 24.0f) * (0.6f + (4.0f + 2.5f * season) * land)
        * (1.0f - 0.55f * w.cloud / 100.0f);
    w.t2m = yearly + swing * season - winterCold + diurnal + airMass - 6.5f * site.height;
    w.t850 = yearly - 11.0f + (3.0f + 0.1f * (lat - 30.0f) + 3.0f * continental) * season + 1.3f * airMass
        + 2.0f * land * summer;
}

// Geostrophic, turned towards low pressure and slowed over land.
void setWind(WeatherSample &w, float gx, float gy, float land, float frontBand)
{
    const float friction = 0.82f - 0.3f * land;
    const float gust = 1.0f + 0.35f * frontBand;
    w.windX = (gy - 0.35f * gx) * kKtPerGradient * friction * gust;
    w.windY = (-gx - 0.35f * gy) * kKtPerGradient * friction * gust;
    w.wind = std::min(60.0f, std::hypot(w.windX, w.windY));
}

float stormEnergy(const WeatherSample &w, float frontBand, const LocalConditions &c, float land, float season)
{
    // Warm, moist air near the ground under a not too warm 850 hPa layer; the sea stays
    // cooler than the land by day, so it builds over land on summer afternoons.
    const float moisture = 0.35f + 0.8f * w.cloud / 100.0f;
    float cape = ((w.t2m - 17.0f) * 85.0f + (w.t850 - 8.0f) * 60.0f) * moisture * (0.75f + 0.5f * c.cells);
    cape += 700.0f * frontBand * smoothstep(6.0f, 14.0f, w.t850);
    cape *= 0.3f + 0.7f * land * (0.3f + 0.7f * c.afternoon);
    // The low winter sun heats the ground too little for deep convection.
    cape *= 0.1f + 0.9f * smoothstep(-0.5f, 0.7f, season);
    return std::clamp(cape, 0.0f, 3000.0f);
}

float rain(const WeatherSample &w, const SystemFields &f, const LocalConditions &c)
{
    // Fronts, the warm sector and the core of lows, showers where storm energy is high; none
    // under clear skies.
    float precip = (9.0f * f.frontBand + 5.0f * f.warmBand + 4.0f * f.lowCore + 1.5f * f.warmSector) * (0.7f + 0.35f * c.texture);
    precip += w.cape / 1000.0f * 7.0f * std::max(0.0f, c.cells + 0.1f);
    return std::max(0.0f, precip) * smoothstep(50.0f, 78.0f, w.cloud);
}

} // namespace

WeatherSample WeatherModel::sample(float x, float y, const Site &site) const
{
    WeatherSample w;
    float gx = 0, gy = 0, upstream = 0;
    w.mslp = pressureGradient(x, y, gx, gy, upstream);
    const float localHour = m_hourOfDay + site.lon / 15.0f;
    const SystemFields f = systemFields(m_systems, x, y);
    const LocalConditions c = localConditions(x - m_driftX, y, localHour, m_season);
    w.cloud = cloudCover(f, c, site, m_season);
    setTemperatures(w, site, f.airMass, c.summer, localHour, m_season);
    // 500 hPa: follows the warmth of the column, troughs lag a little behind the surface lows.
    w.z500 = 553.0f + 1.25f * w.t850 + 0.5f * (upstream - 1014.0f);
    setWind(w, gx, gy, site.land, f.frontBand);
    w.cape = stormEnergy(w, f.frontBand, c, site.land, m_season);
    w.precip = rain(w, f, c);
    return w;
}
