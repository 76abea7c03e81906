#include "mapserver/mapstore.h"

#include "gif/gifencoder.h"
#include "mapserver/mappath.h"
#include "mapserver/maprender.h"

#include <QDateTime>

namespace {

QString cacheKey(const MapRequest &r, int runId)
{
    if (r.type == MapRequest::Archive)
        return QStringLiteral("a/%1/%2").arg(QLatin1String(r.kind->key), r.day.toString(Qt::ISODate));
    return QStringLiteral("f/%1/%2/%3").arg(QLatin1String(r.kind->key)).arg(runId).arg(r.step);
}

} // namespace

MapStore::MapStore(int capacity)
    : m_cache(capacity)
{
}

int MapStore::runId() const
{
    return newestRunId(QDateTime::currentSecsSinceEpoch()) + m_extraRuns.load();
}

void MapStore::newRun()
{
    ++m_extraRuns;
}

QByteArray MapStore::cached(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    const QByteArray *hit = m_cache.object(key);
    return hit ? *hit : QByteArray();
}

void MapStore::keep(const QString &key, const QByteArray &bytes)
{
    QMutexLocker lock(&m_mutex);
    m_cache.insert(key, new QByteArray(bytes));
}

int MapStore::cachedCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_cache.count());
}

QByteArray MapStore::bytes(const QString &path)
{
    const std::optional<MapRequest> request = parseMapPath(path);
    if (!request)
        return {};
    const int run = runId();
    const QString key = cacheKey(*request, run);
    QByteArray gif = cached(key);
    if (gif.isEmpty()) {
        // Rendered outside the lock: two threads asking at once just paint it twice.
        gif = encodeGif(renderMap(*request, run));
        if (!gif.isEmpty())
            keep(key, gif);
    }
    return gif;
}

void MapStore::prerender(int maxStep, const std::atomic<bool> *cancel)
{
    const int run = runId();
    for (int step = 0; step <= qMin(maxStep, DemoMaxStep); ++step) {
        for (int k = 0; k < DemoKindCount; ++k) {
            if (cancel && cancel->load())
                return;
            MapRequest r;
            r.kind = &demoKinds()[k];
            r.step = step;
            const QString key = cacheKey(r, run);
            if (cached(key).isEmpty())
                keep(key, encodeGif(renderMap(r, run)));
        }
    }
}
