#pragma once
// What the server thread and the owner of the server share: maps, faults, request log.
#include "mapserver/faulttable.h"
#include "mapserver/mapstore.h"

#include <QMutex>
#include <QStringList>
#include <atomic>

// The most recent paths only: a client that never stops asking cannot grow it for ever.
class RequestLog {
public:
    static constexpr qsizetype Capacity = 4096;

    void append(const QString &path);
    QStringList all() const;
    void clear();

private:
    mutable QMutex m_mutex;
    QStringList m_paths;
};

// Written by the server thread, read by the owner's: atomics, no lock.
class ConnectionCounter {
public:
    void opened();
    void closed();
    int open() const { return m_open.load(); }
    int peak() const { return m_peak.load(); }
    void resetPeak() { m_peak.store(m_open.load()); }

private:
    std::atomic<int> m_open{0};
    std::atomic<int> m_peak{0};
};

struct ServerState {
    MapStore store;
    FaultTable faults;
    RequestLog requests;
    ConnectionCounter connections;
};
