#include "retrieval/runprobe.h"

#include "retrieval/retrievalservice.h"
#include "shell/messages.h"

#include <QFileInfo>
#include <QUrl>

namespace {

const MapKind &probeKind()
{
    return *kindByNumber(1);
}

} // namespace

RunProbe::RunProbe(RetrievalService &service) : QObject(&service), m_service(service) {}

void RunProbe::start()
{
    Q_EMIT m_service.statusText(msg(Msg::Searching));
    attempt();
}

void RunProbe::attempt()
{
    const QString url = m_service.servers().NormalServer + forecastMapFile(probeKind(), 0);
    Q_EMIT m_service.statusText(msg(Msg::Trying) + QUrl(url).authority());
    m_probe.clear();
    m_transfer = m_service.queue().client().get(url, m_service.queue().options(), [this](const char *data, qsizetype size) {
        m_probe.append(data, size);
        return true;
    });
    m_transfer->setParent(this);
    connect(m_transfer, &HttpTransfer::finished, this, &RunProbe::onProbed);
}

void RunProbe::onProbed()
{
    const int error = m_transfer->errorNumber();
    m_transfer->deleteLater();
    m_transfer = nullptr;
    if (error == HttpClient::ErrCancelled) {
        m_service.setHeld(false);
        Q_EMIT m_service.statusText(msg(Msg::Cancelled));
        finish();
        return;
    }
    if (error == HttpClient::ErrNotAMap) {
        // The server answered, but not with a map: keep the cache as it is.
        m_service.setHeld(false);
        Q_EMIT m_service.messageBox(msg(Msg::NotAMap), false);
        Q_EMIT m_service.statusText(msg(Msg::NotAMap));
        finish();
        return;
    }
    // An empty answer is no probe map: it counts as a failed attempt, not as a new run
    // that would empty the cache.
    if (!error && !m_probe.isEmpty()) {
        m_service.setHeld(false);
        compare();
        return;
    }
    m_service.servers().SwitchNormalServer();
    if (++m_attempts == Attempts) {
        m_service.setHeld(false);
        Q_EMIT m_service.messageBox(msg(Msg::NoServer), false);
        Q_EMIT m_service.statusText(msg(Msg::NoServerStatus));
        finish();
        return;
    }
    attempt();
}

void RunProbe::compare()
{
    const QFileInfo cached(m_service.cachePath(forecastCacheName(probeKind(), 0)));
    if (cached.exists() && cached.size() == m_probe.size()) {
        Q_EMIT m_service.statusText(msg(Msg::UpToDate));
        finish();
        return;
    }
    m_service.deletePngFiles();
    Q_EMIT m_service.statusText(msg(Msg::NewRun));
    m_batch = m_service.GetNewModeles(0, 0);
    connect(m_batch, &MapBatch::finished, this, [this] {
        // Failures or a cancel already told the status line what happened.
        if (!m_batch->failures() && !m_batch->wasCancelled())
            Q_EMIT m_service.statusText(msg(Msg::UpToDate));
        finish();
    });
}

void RunProbe::cancel()
{
    if (m_transfer)
        m_transfer->cancel();
    else if (m_batch)
        m_batch->cancel();
}

void RunProbe::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished();
    deleteLater();
}
