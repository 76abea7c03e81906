#include "retrieval/mapaddress.h"

QString selectionAddress(const MapSelection &selection, const Servers &servers)
{
    if (selection.archive)
        return servers.ArchiveServer
            + archiveMapPath(selection.level, selection.year, selection.month, selection.day);
    return servers.NormalServer + forecastMapFile(*kindByNumber(selection.kindNumber), selection.step);
}
