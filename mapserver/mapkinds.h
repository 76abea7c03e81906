#pragma once
// What each demonstration map shows: the kind's key, its code in map numbers, its title
// and the quantity of the weather model painted on it.
#include "mapserver/weathermodel.h"

#include <QString>

enum class MapFrame { Domain1, Domain2 };

struct DemoKind {
    const char *key;        // legend key: temp, prec, nebu, p850, orag, p500, vent
    int code;               // map code in Rtavn numbers
    const char *title;      // title line of the map
    const char *unit;       // shown above the legend strip
    MapFrame frame;
    float (*quantity)(const WeatherSample &);
};

// The seven forecast kinds, then nothing: archive maps use the p500 and p850 kinds.
const DemoKind *demoKinds();
constexpr int DemoKindCount = 7;
const DemoKind *demoKindByKey(const QString &key);
const DemoKind *demoKindByCode(int code);
