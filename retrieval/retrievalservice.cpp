#include "retrieval/retrievalservice.h"

#include "retrieval/archivecache.h"
#include "shell/messages.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// Kinds in the order the maps of one step are fetched.
constexpr int FetchOrder[] = {6, 1, 2, 3, 4, 5, 7};


} // namespace

RetrievalService::RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent)
    : QObject(parent), m_cacheDir(cacheDir), m_log(joinPath(cacheDir, QStringLiteral("log.txt")))
{
    m_servers.hosts = hosts;
    setTimeouts(NormalTimeoutSeconds * 1000, NormalLowSpeedSeconds);
    connect(&m_queue, &FetchQueue::activity, this, &RetrievalService::updateActivity);
}

// The jobs go first, while all they report to still stands: left to the end, they would be
// finished by the queue's own end into a service already half gone.
RetrievalService::~RetrievalService()
{
    QList<QPointer<QObject>> jobs = m_jobs;
    jobs.append(m_runJob);
    for (const QPointer<QObject> &job : std::as_const(jobs)) {
        if (job) {
            job->disconnect(this);
            delete job.data();
        }
    }
    m_queue.disconnect(this);
}

void RetrievalService::setDirect(bool direct)
{
    TransferOptions options = m_queue.options();
    options.direct = direct;
    m_queue.setOptions(options);
}

void RetrievalService::setTimeouts(int inactivityMs, int lowSpeedSeconds)
{
    TransferOptions options = m_queue.options();
    options.timeoutMs = inactivityMs;
    options.lowSpeedSeconds = lowSpeedSeconds;
    m_queue.setOptions(options);
}

void RetrievalService::setLowBandwidth(bool on)
{
    // What runs was started with the other time-outs: it ends, as a cancelled transfer;
    // what waits starts later with the new ones.
    m_queue.cancelRunning();
    setTimeouts((on ? LowBandwidthTimeoutSeconds : NormalTimeoutSeconds) * 1000,
                on ? LowBandwidthLowSpeedSeconds : NormalLowSpeedSeconds);
}

QString RetrievalService::failureText(int failures, const QString &lastError)
{
    return msg(Msg::Failures).arg(failures).arg(lastError);
}

MapBatch *RetrievalService::makeBatch(QList<BatchGroup> groups, bool urgent)
{
    MapBatch::Context context;
    context.queue = &m_queue;
    context.log = &m_log;
    context.held = [this] { return m_held; };
    context.failureText = &RetrievalService::failureText;
    context.doneText = msg(Msg::StepDone);
    auto *batch = new MapBatch(context, std::move(groups), urgent, this);
    connect(batch, &MapBatch::statusText, this, &RetrievalService::statusText);
    connect(batch, &MapBatch::finished, this, [this, batch] {
        if (batch->wasCancelled())
            Q_EMIT statusText(msg(Msg::Cancelled));
        updateActivity();
    });
    m_jobs.append(batch);
    return batch;
}

BatchGroup RetrievalService::stepGroup(int heure, int what) const
{
    BatchGroup group;
    group.firstLine = QStringLiteral("GetNewModeles : ") + QString::number(heure) + QStringLiteral(" carte : ")
                      + QString::number(what);
    group.lastLine = QStringLiteral("Fin GetNewModels");
    group.endStatus = true;
    for (int number : FetchOrder) {
        if (what != 0 && what != number)
            continue;
        const MapKind &kind = *kindByNumber(number);
        group.maps.append(BatchMap{m_servers.NormalServer + forecastMapFile(kind, heure),
                                   cachePath(forecastCacheName(kind, heure)),
                                   msg(kind.message) + QStringLiteral("'+") + QString::number(6ll * heure)
                                       + QStringLiteral("h'")});
    }
    return group;
}

MapBatch *RetrievalService::GetNewModeles(int heure, int what, bool urgent)
{
    MapBatch *batch = makeBatch({stepGroup(heure, what)}, urgent);
    batch->start();
    return batch;
}

MapBatch *RetrievalService::fetchMaps(const QList<QPair<int, int>> &stepKinds, bool urgent)
{
    QList<BatchGroup> groups;
    for (const auto &[step, kind] : stepKinds)
        groups.append(stepGroup(step, kind));
    MapBatch *batch = makeBatch(groups, urgent);
    batch->start();
    return batch;
}

MapBatch *RetrievalService::fetchArchive(ArchiveLevel level, int year, int month, int day)
{
    BatchGroup group;
    const QString name = archiveCacheName(level, year, month, day);
    group.maps.append(BatchMap{m_servers.ArchiveServer + archiveMapPath(level, year, month, day), cachePath(name), {}});
    MapBatch *batch = makeBatch({group}, true);
    connect(batch, &MapBatch::finished, this, [this, batch, name] {
        const FetchOutcome *outcome = batch->outcomeFor(cachePath(name));
        if (!outcome || outcome->error)
            return;
        const qint64 limit = m_archiveLimit >= 0 ? m_archiveLimit : ArchiveCache::savedLimit();
        const int removed = ArchiveCache::prune(m_cacheDir, limit, {name, m_shownArchive});
        if (removed)
            m_log.AddLog(QStringLiteral("Archives : %1 carte(s) supprimée(s)").arg(removed));
    });
    batch->start();
    return batch;
}

void RetrievalService::noteArchiveShown(const QString &cacheName)
{
    m_shownArchive = cacheName;
    ArchiveCache::noteShown(cachePath(cacheName));
}

MapBatch *RetrievalService::downloadAll(int last)
{
    QList<BatchGroup> groups;
    for (int s = 0; s <= last; ++s) {
        for (int k = 1; k <= 7; ++k)
            groups.append(stepGroup(s, k));
    }
    MapBatch *batch = makeBatch(groups, false);
    trackRunJob(batch);
    batch->start();
    return batch;
}

MapBatch *RetrievalService::refreshStep(int heure)
{
    MapBatch *batch = makeBatch({stepGroup(heure, 0)}, false);
    trackRunJob(batch);
    batch->start();
    return batch;
}

RunProbe *RetrievalService::ChercheModele()
{
    auto *probe = new RunProbe(*this);
    m_jobs.append(probe);
    connect(probe, &RunProbe::finished, this, &RetrievalService::updateActivity);
    trackRunJob(probe);
    probe->start();
    return probe;
}

void RetrievalService::trackRunJob(QObject *job)
{
    m_runJob = job;
    connect(job, &QObject::destroyed, this, [this] { Q_EMIT busyChanged(busy()); });
    Q_EMIT busyChanged(true);
    updateActivity();
}

bool RetrievalService::busy() const
{
    if (!m_runJob)
        return false;
    if (auto *batch = qobject_cast<MapBatch *>(m_runJob.data()))
        return !batch->isFinished();
    if (auto *probe = qobject_cast<RunProbe *>(m_runJob.data()))
        return !probe->isFinished();
    return false;
}

bool RetrievalService::active() const
{
    if (m_queue.running() || m_queue.waiting())
        return true;
    for (const QPointer<QObject> &job : m_jobs) {
        if (auto *batch = qobject_cast<MapBatch *>(job.data()); batch && !batch->isFinished())
            return true;
        if (auto *probe = qobject_cast<RunProbe *>(job.data()); probe && !probe->isFinished())
            return true;
    }
    return false;
}

void RetrievalService::cancelAll()
{
    const QList<QPointer<QObject>> jobs = m_jobs;
    for (const QPointer<QObject> &job : jobs) {
        if (auto *batch = qobject_cast<MapBatch *>(job.data()))
            batch->cancel();
        else if (auto *probe = qobject_cast<RunProbe *>(job.data()))
            probe->cancel();
    }
    m_queue.cancelAll();
}

void RetrievalService::updateActivity()
{
    m_jobs.removeAll(nullptr);
    // One bar for everything under way: bytes received over bytes expected, each map
    // counting 50 bytes more than it announces so that a bar never looks finished early.
    qint64 received = 0;
    double expected = 0;
    int running = 0;
    for (const MapFetch *f : m_queue.runningFetches()) {
        ++running;
        received += f->received();
        expected += double(qMax<qint64>(0, f->announced())) + 50;
    }
    Q_EMIT progressChanged(running > 0, running ? qBound(0.0, double(received) / expected, 1.0) : 0.0);
    const bool now = active();
    if (now != m_active) {
        m_active = now;
        Q_EMIT activeChanged(now);
    }
}

int RetrievalService::deletePngFiles()
{
    QDir dir(m_cacheDir);
    const QStringList names = dir.entryList({QStringLiteral("*.png")}, QDir::Files | QDir::CaseSensitive);
    int removed = 0;
    for (const QString &name : names)
        removed += dir.remove(name) ? 1 : 0;
    return removed;
}

void RetrievalService::removeStrayTemporaryFiles()
{
    // A save that never committed leaves "<map>.XXXXXX" beside the map.
    static const QRegularExpression stray(QStringLiteral("^.+\\.(png|gif)\\.[A-Za-z0-9]{6}$"));
    QDir dir(m_cacheDir);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (stray.match(name).hasMatch())
            dir.remove(name);
    }
}
