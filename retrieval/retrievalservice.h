#pragma once
// The retrieval service: one object for the life of the window. It owns the HTTP client
// (Inet1), the Downloading guard, the server choice, the cache folder and the event log,
// and reports to the window only through its signals.
#include "retrieval/catalogue.h"
#include "retrieval/httpclient.h"
#include "shell/eventlog.h"

#include <QObject>
#include <QString>
#include <QStringList>

class RetrievalService : public QObject {
    Q_OBJECT
public:
    // Width of the progress frame and the fill's starting width, in twips.
    static constexpr double ProgressFrameWidth = 2355;
    static constexpr double ProgressStartWidth = 10;
    // Largest map body accepted: a broken server cannot fill the disk.
    static constexpr qint64 MaxMapBytes = 32ll * 1024 * 1024;

    RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent = nullptr);

    HttpClient *Inet1() { return &m_inet; }
    EventLog &log() { return m_log; }
    Servers &servers() { return m_servers; }
    const Servers &servers() const { return m_servers; }
    QString cacheDir() const { return m_cacheDir; }
    QString cachePath(const QString &name) const { return joinPath(m_cacheDir, name); }

    bool Downloading = false;  // a transfer, start-up or the newest-run probe is running

    // Fetches url into file. The file is replaced only by a complete, successful body;
    // false only when the request could not start.
    bool Download(const QString &url, const QString &file);
    // The maps of step heure: one kind (1..7) or all seven (0).
    void GetNewModeles(int heure, int what = 0);
    // Probes the map servers for a new run and fetches its first step when there is one.
    void ChercheModele();
    void deletePngFiles();             // every "*.png" of the cache folder
    void removeStrayTemporaryFiles();  // leftovers of a transfer cut short by a crash
    // Low-bandwidth setting: cancels the transfer under way, time-out 60 s or 8 s.
    void setLowBandwidth(bool on);

Q_SIGNALS:
    void statusText(const QString &text);                 // Label3
    void progressChanged(bool visible, double fraction);  // tour / tour2: fill width / frame width
    void messageBox(const QString &text, bool information);

private:
    bool probeFailed() const;

    QString m_cacheDir;
    HttpClient m_inet;
    EventLog m_log;
    Servers m_servers;
};
