#pragma once
// An HTTP forward proxy on 127.0.0.1 for tests: records what clients ask it for and passes
// the traffic on unchanged. Runs in the test's thread, like FixtureServer.
#include <QStringList>
#include <QTcpServer>

class RecordingProxy : public QObject {
public:
    RecordingProxy();  // listens at once on a free port

    QString proxyUrl() const;  // "http://127.0.0.1:port", for http_proxy or CURLOPT_PROXY

    // Request targets in order: the absolute URL of a plain request ("http://127.0.0.1:1234/x.gif"),
    // or "CONNECT host:port" for a tunnel.
    QStringList requests;

private:
    QTcpServer m_server;
};
