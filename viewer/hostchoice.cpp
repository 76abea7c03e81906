#include "viewer/hostchoice.h"

namespace {

constexpr int HostCount = 3;

QStringList completed(const QStringList &hosts)
{
    QString first;
    for (const QString &h : hosts) {
        if (!h.trimmed().isEmpty()) {
            first = h.trimmed();
            break;
        }
    }
    if (first.isEmpty())
        return {};
    QStringList out;
    for (int i = 0; i < HostCount; ++i) {
        const QString h = i < hosts.size() ? hosts.at(i).trimmed() : QString();
        out << (h.isEmpty() ? first : h);
    }
    return out;
}

} // namespace

QStringList chooseMapHosts(const QStringList &commandLine, const QStringList &saved)
{
    const QStringList fromCommandLine = completed(commandLine);
    return fromCommandLine.isEmpty() ? completed(saved) : fromCommandLine;
}
