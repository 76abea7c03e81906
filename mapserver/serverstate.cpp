#include "mapserver/serverstate.h"

void RequestLog::append(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    if (m_paths.size() >= Capacity)
        m_paths.removeFirst();
    m_paths.append(path);
}

QStringList RequestLog::all() const
{
    QMutexLocker lock(&m_mutex);
    return m_paths;
}

void RequestLog::clear()
{
    QMutexLocker lock(&m_mutex);
    m_paths.clear();
}

void ConnectionCounter::opened()
{
    const int now = ++m_open;
    int peak = m_peak.load();
    while (now > peak && !m_peak.compare_exchange_weak(peak, now)) {
    }
}

void ConnectionCounter::closed()
{
    --m_open;
}
