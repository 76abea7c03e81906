#pragma once
// The demonstration map server: synthetic GFS-style maps served over HTTP on loopback,
// with faults that tests switch on per path.
#include "mapserver/faulttable.h"
#include "mapserver/serverlimits.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class QThread;
class ServerCore;
struct ServerState;

class DemoMapServer {           // runs its own QThread; the calling thread is never blocked
public:
    DemoMapServer();
    ~DemoMapServer();            // stops the thread cleanly
    DemoMapServer(const DemoMapServer &) = delete;
    DemoMapServer &operator=(const DemoMapServer &) = delete;

    bool start(quint16 port = 0);        // 127.0.0.1; 0 = a free port. A running server restarts.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QString hostPort() const;            // "127.0.0.1:PORT"

    // Patterns are wildcards matched against the whole path or its file name.
    void setFault(const QString &pathPattern, const Fault &fault);
    void clearFaults();

    // What one client may take; takes effect at the next start().
    void setLimits(const ServerLimits &limits);
    ServerLimits limits() const;

    QStringList requests() const;        // the last RequestLog::Capacity paths requested, in order (thread-safe)
    void clearRequests();

    // Client connections, each from accept to close (thread-safe).
    int openConnections() const;         // open right now
    int peakConnections() const;         // the most open at once since start or the last reset
    void resetPeakConnections();         // the peak starts again from the connections open now

    int runId() const;                   // changes with the clock every six hours ...
    void newRun();                       // ... and on request: a new run changes the maps' bytes and sizes

    // Exactly what a GET of that path returns as body (empty = 404), rendering if needed.
    QByteArray mapBytes(const QString &path);
    // Renders the forecast maps of steps 0..maxStep of the current run in a background
    // thread; returns at once. Requests meanwhile are answered as usual.
    void prerender(int maxStep);
    // True while a prerender is still running.
    bool prerendering() const;

private:
    void stopPrerender();

    std::unique_ptr<ServerState> m_state;
    QThread *m_thread = nullptr;
    ServerCore *m_core = nullptr;
    quint16 m_port = 0;
    ServerLimits m_limits;
    QThread *m_prerender = nullptr;
    std::atomic<bool> m_cancelPrerender{false};
};
