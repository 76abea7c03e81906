#pragma once
// Newest-run detection as a job: the size of the server's +6 h temperature map against its
// cached copy decides whether a new run is on the server; on the way the probe finds a map
// server that answers, moving through the servers after each failed attempt.
#include <QByteArray>
#include <QObject>
#include <QPointer>

class HttpTransfer;
class MapBatch;
class RetrievalService;

class RunProbe : public QObject {
    Q_OBJECT
public:
    static constexpr int Attempts = 5;

    explicit RunProbe(RetrievalService &service);

    void start();
    void cancel();
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void finished();

private:
    void attempt();
    void onProbed();
    void compare();
    void finish();

    RetrievalService &m_service;
    QPointer<HttpTransfer> m_transfer;
    QPointer<MapBatch> m_batch;
    QByteArray m_probe;
    int m_attempts = 0;
    bool m_finished = false;
};
