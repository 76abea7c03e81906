#pragma once
// A batch of map downloads: fetched in parallel through the queue, reported in order.
// Each map's log lines and status text are written when it and every map before it have
// ended, so the log, the status line and the counts read exactly as if the maps had been
// fetched one after another.
#include "retrieval/fetchqueue.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class EventLog;

struct BatchMap {
    QString url;
    QString file;
    QString status;  // shown while it is the map in turn; empty: none
};

struct BatchGroup {
    QString firstLine;   // logged before its first map ("GetNewModeles : ..."); empty: none
    QString lastLine;    // logged after its last map; empty: none
    bool endStatus = false;  // the status line says how the group ended
    QList<BatchMap> maps;
};

class MapBatch : public QObject {
    Q_OBJECT
public:
    struct Context {
        FetchQueue *queue = nullptr;
        EventLog *log = nullptr;
        std::function<bool()> held;          // true: transfers are refused (start-up)
        std::function<QString(int failures, const QString &lastError)> failureText;
        QString doneText;                    // status after a group that had no failure
    };

    MapBatch(const Context &context, QList<BatchGroup> groups, bool urgent, QObject *parent = nullptr);

    void start();
    void stop();    // maps not started yet are dropped; the ones under way finish
    void cancel();  // the ones under way too

    bool isFinished() const { return m_finished; }
    bool wasCancelled() const { return m_cancelled; }
    int failures() const { return m_failures; }
    QString lastError() const { return m_lastError; }  // for the user
    // The outcome of the last map that ended for this file, if it ended in this batch.
    const FetchOutcome *outcomeFor(const QString &file) const;

Q_SIGNALS:
    void statusText(const QString &text);
    void groupDone(int index);
    void finished();

private:
    struct Unit {
        int group = 0;
        BatchMap map;
        FetchHandle fetch;
        bool announced = false;
        bool done = false;
        bool dropped = false;
        bool refused = false;
        FetchOutcome outcome;
    };

    void advance();
    void announce(Unit &unit);
    void report(Unit &unit);
    void endGroup(int group);
    void finish();
    void log(const QString &line);

    Context m_context;
    QList<BatchGroup> m_groups;
    std::vector<Unit> m_units;
    bool m_urgent;
    size_t m_head = 0;
    int m_nextGroup = 0;   // first group whose start is not logged yet
    int m_groupFailures = 0;
    int m_failures = 0;
    QString m_lastError;
    bool m_started = false;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_advancing = false;
};
