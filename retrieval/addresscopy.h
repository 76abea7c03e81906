#pragma once
// What the window is set to show, as plain values: its cache file and its web address.
#include "retrieval/catalogue.h"

#include <functional>

struct MapSelection {
    bool archive = false;
    // Current run.
    int kindNumber = 1;
    int step = 0;
    // Archive: the numbers read from the date lists, not validated (31 February stays).
    ArchiveLevel level = ArchiveLevel::P500;
    int year = 0, month = 0, day = 0;
};

// The kind the option buttons select: Option1, Option3, Option2, Option4, Option6, Option7
// are tested in this order; none of them selected means orag.
const MapKind &selectedKind(const std::function<bool(const char *optionName)> &isSelected);

QString selectionCacheName(const MapSelection &selection);
// On the map or archive server current at the moment.
QString selectionAddress(const MapSelection &selection, const Servers &servers);
