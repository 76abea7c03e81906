#pragma once
// The event log: log.txt in the cache folder, emptied at each start, one line per entry.
#include <QString>

class EventLog {
public:
    explicit EventLog(const QString &filePath = {});
    void setFilePath(const QString &filePath);
    QString filePath() const;

    void StartLog();                  // create or empty the file
    void AddLog(const QString &str);  // append "dd/MM/yyyy HH:mm:ss" + str + CR LF; best effort

private:
    QString m_path;
};
