#include "retrieval/retrievalservice.h"

#include <QDir>

RetrievalService::RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent)
    : QObject(parent), m_cacheDir(cacheDir), m_log(joinPath(cacheDir, QStringLiteral("log.txt")))
{
    m_servers.hosts = hosts;
}

bool RetrievalService::Download(const QString &, const QString &) { return false; }
void RetrievalService::GetNewModeles(int, int) {}
void RetrievalService::ChercheModele() {}

void RetrievalService::deletePngFiles()
{
    QDir dir(m_cacheDir);
    const QStringList names = dir.entryList({QStringLiteral("*.png")}, QDir::Files | QDir::CaseSensitive);
    for (const QString &name : names)
        dir.remove(name);
}
