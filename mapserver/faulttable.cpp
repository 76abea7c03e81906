#include "mapserver/faulttable.h"

void FaultTable::set(const QString &pattern, const Fault &fault)
{
    QMutexLocker lock(&m_mutex);
    m_entries.removeIf([&](const Entry &e) { return e.pattern == pattern; });
    m_entries.append({pattern, QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)), fault});
}

void FaultTable::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
}

std::optional<Fault> FaultTable::match(const QString &rawPath) const
{
    const QString path = rawPath.section(QLatin1Char('?'), 0, 0);
    const QString name = path.section(QLatin1Char('/'), -1);
    QMutexLocker lock(&m_mutex);
    for (auto it = m_entries.crbegin(); it != m_entries.crend(); ++it) {
        if (it->regex.match(path).hasMatch() || it->regex.match(name).hasMatch())
            return it->fault;
    }
    return std::nullopt;
}
