#include "retrieval/mapbatch.h"

#include "shell/eventlog.h"
#include "shell/messages.h"

namespace {

const QString To = QStringLiteral(" to ");

} // namespace

MapBatch::MapBatch(const Context &context, QList<BatchGroup> groups, bool urgent, QObject *parent)
    : QObject(parent), m_context(context), m_groups(std::move(groups)), m_urgent(urgent)
{
    for (int g = 0; g < m_groups.size(); ++g) {
        for (const BatchMap &map : std::as_const(m_groups.at(g).maps)) {
            Unit unit;
            unit.group = g;
            unit.map = map;
            m_units.push_back(std::move(unit));
        }
    }
}

void MapBatch::start()
{
    if (m_started)
        return;
    m_started = true;
    const bool held = m_context.held && m_context.held();
    for (size_t i = 0; i < m_units.size(); ++i) {
        Unit &u = m_units[i];
        if (held) {
            u.refused = true;
            continue;
        }
        u.fetch = m_context.queue->request(u.map.url, u.map.file, m_urgent);
        connect(u.fetch.get(), &MapFetch::finished, this, [this, i] {
            Unit &unit = m_units[i];
            if (unit.done || !unit.fetch)
                return;
            unit.outcome = unit.fetch->outcome();
            unit.done = true;
            unit.fetch.release();
            advance();
        });
    }
    advance();
}

void MapBatch::stop()
{
    for (Unit &u : m_units) {
        if (!u.done && u.fetch && u.fetch->state() == MapFetch::State::Waiting) {
            u.fetch.release();
            u.dropped = true;
        }
    }
    advance();
}

void MapBatch::cancel()
{
    m_cancelled = true;
    for (Unit &u : m_units) {
        if (u.done || !u.fetch)
            continue;
        const bool running = u.fetch->state() == MapFetch::State::Running;
        u.fetch.release();  // a transfer nobody else waits for ends here
        if (running) {
            u.outcome = FetchOutcome{HttpClient::ErrCancelled, QStringLiteral("Transfert annulé"), true, msg(Msg::TransferCancelled)};
            u.done = true;
        } else {
            u.dropped = true;
        }
    }
    advance();
}

const FetchOutcome *MapBatch::outcomeFor(const QString &file) const
{
    for (auto it = m_units.rbegin(); it != m_units.rend(); ++it) {
        if (it->done && !it->refused && it->map.file == file)
            return &it->outcome;
    }
    return nullptr;
}

void MapBatch::log(const QString &line)
{
    if (m_context.log)
        m_context.log->AddLog(line);
}

void MapBatch::advance()
{
    if (m_advancing || m_finished || !m_started)
        return;
    m_advancing = true;
    while (m_head < m_units.size()) {
        Unit &u = m_units[m_head];
        if (u.dropped)
            break;
        // Groups with no map before this one start and end in their turn.
        while (m_nextGroup <= u.group) {
            const BatchGroup &g = m_groups.at(m_nextGroup);
            if (!g.firstLine.isEmpty())
                log(g.firstLine);
            if (m_nextGroup++ < u.group)
                endGroup(m_nextGroup - 1);
        }
        if (!u.announced)
            announce(u);
        if (!u.done) {
            m_advancing = false;
            return;
        }
        report(u);
        ++m_head;
        if (m_head == m_units.size() || m_units[m_head].group != u.group)
            endGroup(u.group);
    }
    // Stopped: the group under way ends; later ones never start.
    if (m_head < m_units.size()) {
        const int g = m_units[m_head].group;
        if (m_nextGroup > g)
            endGroup(g);
    } else {
        for (; m_nextGroup < m_groups.size(); ++m_nextGroup) {
            if (!m_groups.at(m_nextGroup).firstLine.isEmpty())
                log(m_groups.at(m_nextGroup).firstLine);
            endGroup(m_nextGroup);
        }
    }
    m_advancing = false;
    finish();
}

void MapBatch::announce(Unit &u)
{
    u.announced = true;
    if (!u.map.status.isEmpty())
        Q_EMIT statusText(u.map.status);
    log(QStringLiteral("Télécharge : ") + u.map.url + To + u.map.file);
    if (u.refused) {
        u.done = true;  // held: nothing is fetched, nothing else is logged
        return;
    }
    log(QStringLiteral("Open URL : ") + u.map.url + To + u.map.file);
}

void MapBatch::report(Unit &u)
{
    if (u.refused)
        return;
    if (u.outcome.error) {
        ++m_failures;
        ++m_groupFailures;
        m_lastError = u.outcome.reason();
    }
    if (!u.outcome.started)
        return;  // the request could not start: nothing was received or written
    log(QStringLiteral("Après Open URL: ") + u.map.url + To + u.map.file);
    if (u.outcome.error)
        log(QStringLiteral("ERREUR : ") + u.outcome.text + QStringLiteral(" / ") + QString::number(u.outcome.error));
    log(QStringLiteral("Ecrit : ") + u.map.file);
    log(QStringLiteral("Fin de téléchargement de ") + u.map.url);
}

void MapBatch::endGroup(int group)
{
    const BatchGroup &g = m_groups.at(group);
    if (!g.lastLine.isEmpty())
        log(g.lastLine);
    if (g.endStatus) {
        Q_EMIT statusText(m_groupFailures && m_context.failureText ? m_context.failureText(m_groupFailures, m_lastError)
                                                                   : m_context.doneText);
    }
    m_groupFailures = 0;
    Q_EMIT groupDone(group);
}

void MapBatch::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_groups.size() > 1 && m_failures && m_context.failureText && !m_cancelled)
        Q_EMIT statusText(m_context.failureText(m_failures, m_lastError));
    Q_EMIT finished();
    deleteLater();
}
