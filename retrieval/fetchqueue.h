#pragma once
// Map transfers: one address into one cache file through a temporary file beside it that
// replaces the map only when the whole body arrived, so the cache only ever holds complete
// maps. The queue runs a few at once, lets urgent ones (the map the user is waiting for)
// go first, and shares one transfer between everyone who asks for the same file meanwhile.
#include "retrieval/httpclient.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QTemporaryFile;

struct FetchOutcome {
    int error = 0;    // 0: the map stands complete under its name
    QString text;     // why not, in French for the log
    bool started = false;  // false: the request could not start (a bad address)
    QString shown;    // why not, for the user; empty: the same as text
    QString reason() const { return shown.isEmpty() ? text : shown; }
};

class MapFetch : public QObject {
    Q_OBJECT
public:
    // Error number of a map that cannot be written, as the classic file layer numbers it.
    static constexpr int FileError = 75;
    // A body up to this size is kept in memory until it is whole: a map that arrives
    // unchanged then leaves the cache untouched, and a new one costs one file.
    static constexpr qsizetype MemoryLimit = 512 * 1024;

    enum class State { Waiting, Running, Done };

    ~MapFetch() override;

    QString url() const { return m_url; }
    QString file() const { return m_file; }
    State state() const { return m_state; }
    const FetchOutcome &outcome() const { return m_outcome; }
    qint64 received() const;
    qint64 announced() const;

Q_SIGNALS:
    void progress();
    void finished();

private:
    friend class FetchQueue;
    friend class FetchHandle;
    MapFetch(const QString &url, const QString &file) : m_url(url), m_file(file) {}
    bool write(const char *data, qsizetype size);
    bool spill();                 // the body so far into a temporary file beside the map
    QString commit();             // the whole body under the map's name; why not, if it failed
    void end();

    QString m_url;
    QString m_file;
    State m_state = State::Waiting;
    FetchOutcome m_outcome;
    QPointer<HttpTransfer> m_transfer;
    QByteArray m_body;            // until it passes MemoryLimit
    QTemporaryFile *m_temp = nullptr;
    QString m_writeError;
    int m_users = 0;
    bool m_urgent = false;
    bool m_stopping = false;  // cancelled, its end not reported yet: nobody may join it
};

class FetchQueue;

// A claim on a fetch: the fetch goes on as long as somebody holds one. Releasing the last
// claim drops a waiting fetch and cancels a running one.
class FetchHandle {
public:
    FetchHandle() = default;
    FetchHandle(FetchQueue *queue, MapFetch *fetch);
    FetchHandle(FetchHandle &&other) noexcept;
    FetchHandle &operator=(FetchHandle &&other) noexcept;
    FetchHandle(const FetchHandle &) = delete;
    FetchHandle &operator=(const FetchHandle &) = delete;
    ~FetchHandle() { release(); }

    MapFetch *operator->() const { return m_fetch; }
    MapFetch *get() const { return m_fetch; }
    explicit operator bool() const { return m_fetch != nullptr; }
    void release();

private:
    QPointer<FetchQueue> m_queue;
    MapFetch *m_fetch = nullptr;
};

class FetchQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxParallel = 4;

    explicit FetchQueue(QObject *parent = nullptr);
    ~FetchQueue() override;

    void setOptions(const TransferOptions &options) { m_options = options; }
    const TransferOptions &options() const { return m_options; }

    // The fetch of url into file. A fetch of the same file that is waiting or running is
    // shared (and moved ahead when this request is urgent). A file is never fetched twice
    // at once: after a cancelled fetch of it, the next one starts once that one has ended.
    FetchHandle request(const QString &url, const QString &file, bool urgent);

    void cancelAll();      // every running and waiting fetch ends as cancelled
    void cancelRunning();  // the ones under way; the waiting ones start later
    int running() const;
    int waiting() const;
    const QList<MapFetch *> &runningFetches() const { return m_running; }
    // For transfers that are not maps of the cache (the newest-run probe).
    HttpClient &client() { return m_client; }

Q_SIGNALS:
    void activity();  // a fetch started, progressed or ended

private:
    friend class FetchHandle;
    void release(MapFetch *fetch);
    void startNext();
    bool fetching(const QString &file) const;
    void start(MapFetch *fetch);
    void onFinished(MapFetch *fetch);

    HttpClient m_client;
    TransferOptions m_options;
    QList<MapFetch *> m_waiting;   // urgent ones first
    QList<MapFetch *> m_running;
    bool m_scheduled = false;
};
