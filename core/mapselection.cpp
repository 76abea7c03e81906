#include "core/mapselection.h"

QString selectionCacheName(const MapSelection &selection)
{
    if (selection.archive)
        return archiveCacheName(selection.level, selection.year, selection.month, selection.day);
    return forecastCacheName(*kindByNumber(selection.kindNumber), selection.step);
}
