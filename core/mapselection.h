#pragma once
// What the window is set to show, as plain values, and the cache file that holds it.
#include "core/kinds.h"

struct MapSelection {
    bool archive = false;
    // Current run.
    int kindNumber = 1;
    int step = 0;
    // Archive: the numbers read from the date lists, not validated (31 February stays).
    ArchiveLevel level = ArchiveLevel::P500;
    int year = 0, month = 0, day = 0;
};

QString selectionCacheName(const MapSelection &selection);
