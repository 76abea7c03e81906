#include "mapserver/demoserver.h"

#include "mapserver/servercore.h"
#include "mapserver/serverstate.h"

#include <QThread>

DemoMapServer::DemoMapServer()
    : m_state(std::make_unique<ServerState>())
{
}

DemoMapServer::~DemoMapServer()
{
    stop();
    stopPrerender();
}

bool DemoMapServer::start(quint16 port)
{
    stop();
    m_state->connections.resetPeak();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("cartavent-mapserver"));
    m_core = new ServerCore(*m_state, m_limits);
    m_core->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_core, &QObject::deleteLater);
    m_thread->start();

    bool listening = false;
    ServerCore *core = m_core;
    QMetaObject::invokeMethod(
        m_core, [&] {
            listening = core->listen(port);
            m_port = core->port();
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        stop();
        return false;
    }
    return true;
}

void DemoMapServer::stop()
{
    if (!m_thread)
        return;
    ServerCore *core = m_core;
    QMetaObject::invokeMethod(m_core, [core] { core->shutdown(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_core = nullptr;  // deleted by its thread as it finished
    m_port = 0;
}

bool DemoMapServer::isRunning() const
{
    return m_thread != nullptr;
}

quint16 DemoMapServer::port() const
{
    return m_port;
}

QString DemoMapServer::hostPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void DemoMapServer::setFault(const QString &pathPattern, const Fault &fault)
{
    m_state->faults.set(pathPattern, fault);
}

void DemoMapServer::clearFaults()
{
    m_state->faults.clear();
}

void DemoMapServer::setLimits(const ServerLimits &limits)
{
    m_limits = limits;
}

ServerLimits DemoMapServer::limits() const
{
    return m_limits;
}

QStringList DemoMapServer::requests() const
{
    return m_state->requests.all();
}

void DemoMapServer::clearRequests()
{
    m_state->requests.clear();
}

int DemoMapServer::openConnections() const
{
    return m_state->connections.open();
}

int DemoMapServer::peakConnections() const
{
    return m_state->connections.peak();
}

void DemoMapServer::resetPeakConnections()
{
    m_state->connections.resetPeak();
}

int DemoMapServer::runId() const
{
    return m_state->store.runId();
}

void DemoMapServer::newRun()
{
    m_state->store.newRun();
}

QByteArray DemoMapServer::mapBytes(const QString &path)
{
    return m_state->store.bytes(path);
}

void DemoMapServer::prerender(int maxStep)
{
    stopPrerender();
    m_cancelPrerender = false;
    ServerState *state = m_state.get();
    m_prerender = QThread::create([state, maxStep, this] { state->store.prerender(maxStep, &m_cancelPrerender); });
    m_prerender->start(QThread::LowPriority);
}

bool DemoMapServer::prerendering() const
{
    return m_prerender && !m_prerender->isFinished();
}

void DemoMapServer::stopPrerender()
{
    if (!m_prerender)
        return;
    m_cancelPrerender = true;
    m_prerender->wait();
    delete m_prerender;
    m_prerender = nullptr;
}
