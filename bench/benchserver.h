#pragma once
// A plain HTTP/1.1 server on 127.0.0.1, in a thread of its own, for measuring the client:
// keep-alive, no Nagle delay, every body streamed piece by piece as the socket drains so
// the server's own memory stays small whatever the body size.
//   GET of a path given to setFiles(): those exact bytes.
//   GET "/<n>": a generated body of n bytes; byte p is byteAt(p), so a received file can be
//   checked without a copy.
//   Anything else: 404 with a small body.
// setDelayMs() holds every answer back that long, as a distant server's round trip would.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QThread>

#include <atomic>

class BenchServer : public QThread {
public:
    BenchServer();
    ~BenchServer() override;

    void setFiles(const QHash<QString, QByteArray> &files);  // before startServing()
    void setDelayMs(int ms) { m_delayMs = ms; }             // any time; later requests see it
    bool startServing();       // false when it could not listen
    QString hostPort() const;  // "127.0.0.1:port"

    static char byteAt(qint64 position) { return char(position % 251); }

protected:
    void run() override;

private:
    QHash<QString, QByteArray> m_files;
    std::atomic<int> m_delayMs {0};
    std::atomic<int> m_port {-1};  // 0 while starting, -1 after a failed listen
};
