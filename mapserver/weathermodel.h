#pragma once
// The synthetic atmosphere behind the demonstration maps: moving lows with their fronts,
// highs, and the fields derived from them, at any domain-1 pixel and any time.
#include "mapserver/geography.h"

#include <QVector>
#include <QtGlobal>

struct WeatherSample {
    float mslp = 0;    // sea-level pressure, hPa
    float t2m = 0;     // °C
    float t850 = 0;    // °C
    float z500 = 0;    // geopotential height of 500 hPa, dam
    float cloud = 0;   // %
    float precip = 0;  // mm in 6 h
    float wind = 0;    // 10 m wind, kt
    float windX = 0;   // its direction on the picture (x east, y south), kt
    float windY = 0;
    float cape = 0;    // storm energy, J/kg
};

struct PressureSystem {
    float x, y;        // centre, domain-1 pixels
    float amplitude;   // hPa, negative for a low
    float radius;      // pixels
    float age, life;   // hours (a permanent system has life 0)
};

class WeatherModel {
public:
    // validHour: hours since 1970-01-01 00:00 UTC. A forecast of run r made leadHours ahead
    // differs slightly from the analysis and from other runs, more so the longer the lead.
    explicit WeatherModel(double validHour, int run = 0, double leadHours = 0);

    WeatherSample sample(float x, float y) const;
    // The same with the place's fixed properties already known (they are costly).
    WeatherSample sample(float x, float y, const Site &site) const;
    float pressure(float x, float y) const;

    const QVector<PressureSystem> &systems() const { return m_systems; }
    double validHour() const { return m_hour; }

private:
    void addLows(int run, double lead);
    void addHighs(int run, double lead);
    void addPermanentSystems();
    // Also the pressure a little to the east, where the upper trough above lies.
    float pressureGradient(float x, float y, float &gx, float &gy, float &upstream) const;

    double m_hour;
    float m_season;       // +1 in high summer, -1 in deep winter
    float m_hourOfDay;    // UTC
    float m_driftX;       // how far the small-scale texture has moved, wrapped
    QVector<PressureSystem> m_systems;
};
