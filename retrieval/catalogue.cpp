#include "retrieval/catalogue.h"

namespace {

QString hostAt(const QStringList &hosts, int index)
{
    return index < hosts.size() ? hosts.at(index).trimmed() : QString();
}

} // namespace

QString hostOrigin(const QString &host)
{
    QString origin = host.trimmed();
    while (origin.endsWith(QLatin1Char('/')))
        origin.chop(1);
    if (origin.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        || origin.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        return origin;
    return QStringLiteral("http://") + origin;
}

QString Servers::mapServerBase(int i) const
{
    switch (i) {
    case 2: return hostOrigin(hostAt(hosts, 1)) + QStringLiteral("/wz/pics/");
    case 3: return hostOrigin(hostAt(hosts, 2)) + QStringLiteral("/pics/");
    default: return hostOrigin(hostAt(hosts, 0)) + QStringLiteral("/wz/pics/");
    }
}

QString Servers::archiveServerBase(int i) const
{
    const int hostIndex = i == 2 ? 1 : 2;
    return hostOrigin(hostAt(hosts, hostIndex)) + QStringLiteral("/archive/ra/");
}

void Servers::SwitchNormalServer()
{
    if (NormalServer.isEmpty())
        iNS = 1;
    iNS = iNS == 1 ? 2 : iNS == 2 ? 3 : 1;
    NormalServer = mapServerBase(iNS);
}

void Servers::SwitchArchiveServer()
{
    if (ArchiveServer.isEmpty())
        iAS = 1;
    iAS = iAS == 1 ? 2 : 1;
    ArchiveServer = archiveServerBase(iAS);
}
