#include "retrieval/addresscopy.h"

namespace {

// Kind numbers in the order their buttons are tested; orag (5) is what is left.
constexpr int TestOrder[] = {1, 2, 3, 4, 6, 7};
constexpr int FallbackKind = 5;

} // namespace

const MapKind &selectedKind(const std::function<bool(const char *optionName)> &isSelected)
{
    for (int number : TestOrder) {
        const MapKind &kind = *kindByNumber(number);
        if (isSelected(kind.option))
            return kind;
    }
    return *kindByNumber(FallbackKind);
}

QString selectionCacheName(const MapSelection &selection)
{
    if (selection.archive)
        return archiveCacheName(selection.level, selection.year, selection.month, selection.day);
    return forecastCacheName(*kindByNumber(selection.kindNumber), selection.step);
}

QString selectionAddress(const MapSelection &selection, const Servers &servers)
{
    if (selection.archive)
        return servers.ArchiveServer
            + archiveMapPath(selection.level, selection.year, selection.month, selection.day);
    return servers.NormalServer + forecastMapFile(*kindByNumber(selection.kindNumber), selection.step);
}
