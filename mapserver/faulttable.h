#pragma once
// Faults the demonstration server plays for tests, chosen by the request path.
#include <QList>
#include <QMutex>
#include <QRegularExpression>
#include <QString>
#include <optional>

struct Fault {                  // what to do for requests whose path matches a wildcard pattern
    bool refuse = false;        // close the connection without answering
    int delayMs = 0;            // wait before answering
    int status = 0;             // 0: normal; 404 or 500: answer that status with a small HTML body
    bool noContentLength = false; // close-delimited body
    qint64 cutAfter = -1;       // send only this many body bytes, then close
    bool hang = false;          // never answer (keep the connection open)
    int trickleBytesPerSecond = 0; // > 0: the body at about this rate, in pieces ten times a second
};

class FaultTable {
public:
    // A pattern matches the whole path or its last segment ("*065.gif" matches
    // "/wz/pics/Rtavn065.gif"). Setting a pattern again replaces its fault; the most
    // recently set matching pattern wins.
    void set(const QString &pattern, const Fault &fault);
    void clear();
    std::optional<Fault> match(const QString &path) const;

private:
    struct Entry {
        QString pattern;
        QRegularExpression regex;
        Fault fault;
    };
    mutable QMutex m_mutex;
    QList<Entry> m_entries;
};
