#include "mapserver/mapkinds.h"

namespace {

const DemoKind kKinds[DemoKindCount] = {
    {"temp", 5, "TEMPÉRATURE À 2 M", "°C", MapFrame::Domain1, [](const WeatherSample &w) { return w.t2m; }},
    {"prec", 4, "PRÉCIPITATIONS EN 6 H ET PRESSION", "MM", MapFrame::Domain1, [](const WeatherSample &w) { return w.precip; }},
    {"nebu", 3, "NÉBULOSITÉ TOTALE", "%", MapFrame::Domain1, [](const WeatherSample &w) { return w.cloud; }},
    {"p850", 2, "TEMPÉRATURE À 850 HPA", "°C", MapFrame::Domain1, [](const WeatherSample &w) { return w.t850; }},
    {"orag", 11, "ÉNERGIE ORAGEUSE (CAPE)", "J/KG", MapFrame::Domain2, [](const WeatherSample &w) { return w.cape; }},
    {"p500", 1, "GÉOPOTENTIEL 500 HPA", "DAM", MapFrame::Domain1, [](const WeatherSample &w) { return w.z500; }},
    {"vent", 8, "VENT MOYEN À 10 M", "KM/H", MapFrame::Domain2, [](const WeatherSample &w) { return w.wind; }},
};

} // namespace

const DemoKind *demoKinds()
{
    return kKinds;
}

const DemoKind *demoKindByKey(const QString &key)
{
    for (const DemoKind &k : kKinds) {
        if (key == QLatin1String(k.key))
            return &k;
    }
    return nullptr;
}

const DemoKind *demoKindByCode(int code)
{
    for (const DemoKind &k : kKinds) {
        if (k.code == code)
            return &k;
    }
    return nullptr;
}
