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
    RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent = nullptr);

    HttpClient *Inet1() { return &m_inet; }
    EventLog &log() { return m_log; }
    Servers &servers() { return m_servers; }
    const Servers &servers() const { return m_servers; }
    QString cacheDir() const { return m_cacheDir; }
    QString cachePath(const QString &name) const { return joinPath(m_cacheDir, name); }

    bool Downloading = false;  // a transfer, start-up or the newest-run probe is running

    // Filled by the retrieval work: fetch one map, the maps of a step, detect a new run.
    bool Download(const QString &url, const QString &file);
    void GetNewModeles(int heure, int what = 0);
    void ChercheModele();
    void deletePngFiles();  // every "*.png" of the cache folder

Q_SIGNALS:
    void statusText(const QString &text);                 // Label3
    void progressChanged(bool visible, double fraction);  // tour / tour2 fill (0..1, clamped by the view)
    void messageBox(const QString &text, bool information);

private:
    QString m_cacheDir;
    HttpClient m_inet;
    EventLog m_log;
    Servers m_servers;
};
