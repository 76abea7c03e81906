#pragma once
// What the server thread and the owner of the server share: maps, faults, request log.
#include "mapserver/faulttable.h"
#include "mapserver/mapstore.h"

#include <QMutex>
#include <QStringList>

class RequestLog {
public:
    void append(const QString &path);
    QStringList all() const;
    void clear();

private:
    mutable QMutex m_mutex;
    QStringList m_paths;
};

struct ServerState {
    MapStore store;
    FaultTable faults;
    RequestLog requests;
};
