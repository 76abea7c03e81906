#include "shell/eventlog.h"

#include <QFile>

EventLog::EventLog(const QString &filePath)
    : m_path(filePath)
{
}

void EventLog::setFilePath(const QString &filePath)
{
    m_path = filePath;
}

QString EventLog::filePath() const
{
    return m_path;
}

void EventLog::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

QString EventLog::formatLine(const QDateTime &when, const QString &str)
{
    const QTime time = when.time();
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    const QString stamp = when.toString(midnight ? QStringLiteral("dd/MM/yyyy")
                                                 : QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return stamp + str + QStringLiteral("\r\n");
}

// Failures are ignored on purpose: the log must never disturb the operation that writes it.
void EventLog::StartLog()
{
    if (m_path.isEmpty())
        return;
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
}

void EventLog::AddLog(const QString &str)
{
    if (m_path.isEmpty())
        return;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(formatLine(now, str).toUtf8());
    file.close();
}
