#pragma once
// The retrieval service: one object for the life of the window. It owns the transfers, the
// server choice, the cache folder and the event log, starts the retrieval jobs and reports
// to the window only through signals. Nothing in it waits: every job ends by a signal.
#include "retrieval/catalogue.h"
#include "shell/paths.h"
#include "retrieval/fetchqueue.h"
#include "retrieval/mapbatch.h"
#include "retrieval/runprobe.h"
#include "shell/eventlog.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class RetrievalService : public QObject {
    Q_OBJECT
public:
    static constexpr int NormalTimeoutSeconds = 8;
    static constexpr int LowBandwidthTimeoutSeconds = 60;
    static constexpr int NormalLowSpeedSeconds = 30;
    static constexpr int LowBandwidthLowSpeedSeconds = 60;

    RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent = nullptr);
    ~RetrievalService() override;

    EventLog &log() { return m_log; }
    Servers &servers() { return m_servers; }
    const Servers &servers() const { return m_servers; }
    FetchQueue &queue() { return m_queue; }
    QString cacheDir() const { return m_cacheDir; }
    QString cachePath(const QString &name) const { return joinPath(m_cacheDir, name); }

    // Start-up holds transfers back until the newest-run probe is over: a map missing
    // then is not fetched (its request is logged and refused).
    void setHeld(bool held) { m_held = held; }
    bool held() const { return m_held; }
    // The built-in server on loopback is reached directly, never through a proxy.
    void setDirect(bool direct);
    // Low-bandwidth setting: cancels the transfers under way; time-outs of 60 s.
    void setLowBandwidth(bool on);
    // Time-outs in milliseconds and seconds, for tests that cannot wait 8 s.
    void setTimeouts(int inactivityMs, int lowSpeedSeconds);

    // The maps of step heure: one kind (1..7) or all seven (0). Urgent: the map the user
    // waits for goes ahead of a running pass.
    MapBatch *GetNewModeles(int heure, int what, bool urgent = false);
    // Several maps, each as one GetNewModeles(step, kind): urgent when the user waits for
    // them, else behind what is already queued (the meteogram's maps).
    MapBatch *fetchMaps(const QList<QPair<int, int>> &stepKinds, bool urgent = true);
    // One archive map into the cache; then the archive maps are brought back under their limit.
    MapBatch *fetchArchive(ArchiveLevel level, int year, int month, int day);
    // The window shows that archive map (a cache name): it goes last when the limit is met.
    void noteArchiveShown(const QString &cacheName);
    // Bytes the archive maps may take; -1 (the default): the "archivemax" setting.
    void setArchiveLimit(qint64 bytes) { m_archiveLimit = bytes; }
    // "Télécharger tout": every map of steps 0..last, one GetNewModeles per map;
    // groupDone(i) follows map i = 7 * s + (k - 1).
    MapBatch *downloadAll(int last);
    // "Actualiser le run": the seven maps of one step again.
    MapBatch *refreshStep(int heure);
    // Newest-run detection; fetches step 0 of a new run.
    RunProbe *ChercheModele();

    // A run job (probe, refresh, download all) is under way: another one is refused.
    bool busy() const;
    // Anything is under way, run jobs and single maps alike.
    bool active() const;
    // Ends every job and transfer; the maps in the cache stay as they were.
    void cancelAll();

    int deletePngFiles();              // every "*.png" of the cache folder; how many went
    void removeStrayTemporaryFiles();  // leftovers of a transfer cut short by a crash

    // The status line after maps failed: how many, and why the last one did.
    static QString failureText(int failures, const QString &lastError);

Q_SIGNALS:
    void statusText(const QString &text);                 // the status line
    void progressChanged(bool visible, double fraction);  // the transfers under way, 0..1
    void messageBox(const QString &text, bool information);
    void activeChanged(bool active);
    void busyChanged(bool busy);

private:
    friend class RunProbe;
    MapBatch *makeBatch(QList<BatchGroup> groups, bool urgent);
    BatchGroup stepGroup(int heure, int what) const;
    void trackRunJob(QObject *job);
    void updateActivity();

    QString m_cacheDir;
    FetchQueue m_queue;
    EventLog m_log;
    Servers m_servers;
    bool m_held = false;
    QPointer<QObject> m_runJob;
    QList<QPointer<QObject>> m_jobs;
    bool m_active = false;
    qint64 m_archiveLimit = -1;
    QString m_shownArchive;
};
