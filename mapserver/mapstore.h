#pragma once
// The maps of the current run as GIF bytes, rendered on first request and kept in a small
// cache. Thread-safe: the server thread and its owner both read from it.
#include <QByteArray>
#include <QCache>
#include <QMutex>
#include <QString>
#include <atomic>

class MapStore {
public:
    explicit MapStore(int capacity = 300);

    // The newest run by the clock (newestRunId), plus the runs started by newRun().
    int runId() const;
    void newRun();

    // The GIF of that path, empty when the path names no map.
    QByteArray bytes(const QString &path);
    // Renders and keeps the seven forecast maps of steps 0..maxStep; stops early when asked.
    void prerender(int maxStep, const std::atomic<bool> *cancel = nullptr);
    int cachedCount() const;

private:
    QByteArray cached(const QString &key);
    void keep(const QString &key, const QByteArray &bytes);

    mutable QMutex m_mutex;
    QCache<QString, QByteArray> m_cache;
    std::atomic<int> m_extraRuns{0};
};
