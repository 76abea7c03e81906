#pragma once
// The event log: log.txt in the cache folder, emptied at each start, one line per entry.
#include <QDateTime>
#include <QString>

#include <functional>

class EventLog {
public:
    using Clock = std::function<QDateTime()>;

    explicit EventLog(const QString &filePath = {});
    void setFilePath(const QString &filePath);
    QString filePath() const;

    // Tests pin the time; the default is the local clock.
    void setClock(Clock clock);

    void StartLog();                  // create or empty the file
    void AddLog(const QString &str);  // append "dd/MM/yyyy HH:mm:ss" + str + CR LF; best effort

    // One line as written, CR LF included; the time is left out at exactly midnight.
    static QString formatLine(const QDateTime &when, const QString &str);

private:
    QString m_path;
    Clock m_clock;
};
