#pragma once
// The web address of what the window is set to show.
#include "core/mapselection.h"
#include "retrieval/catalogue.h"

// On the map or archive server current at the moment.
QString selectionAddress(const MapSelection &selection, const Servers &servers);
