#pragma once
// Server addresses and the server rotation.
#include "core/kinds.h"

#include <QString>
#include <QStringList>

// A host as given: "host:port" is plain HTTP; "https://host[:port]" (or "http://...") keeps
// its scheme. The result has no trailing slash.
QString hostOrigin(const QString &host);

// Hosts as host:port or https://host[:port]: [0] map server 1; [1] map server 2 and archive server 2;
// [2] map server 3 and archive server 1.
struct Servers {
    QStringList hosts;
    QString NormalServer;
    int iNS = 0;
    QString ArchiveServer;
    int iAS = 0;

    QString mapServerBase(int i) const;      // i = 1..3, "http://host/wz/pics/" or ".../pics/"
    QString archiveServerBase(int i) const;  // i = 1..2, "http://host/archive/ra/"
    void SwitchNormalServer();
    void SwitchArchiveServer();
};
