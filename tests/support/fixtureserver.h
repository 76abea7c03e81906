#pragma once
// A small scripted HTTP server on 127.0.0.1 for tests. It runs in the test's own thread:
// the code under test waits with an event loop, so the server answers meanwhile.
#include <QHash>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// An aggregate, so rows can name only what differs: {.status = 404, .body = "..."}.
struct FixtureResponse {
    bool hang = false;           // read the request, never answer
    int status = 200;
    QByteArray headers;          // extra header lines, each ending in CR LF
    QByteArray body;
    bool contentLength = true;   // false: the close of the connection ends the body
    int pieceSize = 0;           // > 0: the body in pieces of this size ...
    int pieceDelayMs = 0;        // ... each after this delay
    bool keepAlive = false;      // otherwise "Connection: close" and one request per connection
};

// The scripted answering shared by the plain and the TLS fixture servers; the listener
// decides the transport, the script only sees a QTcpSocket.
class ScriptedServer : public QObject {
public:
    QString url(const QString &path) const;  // scheme://127.0.0.1:port + path
    int openConnections() const;  // the client closing its side counts as closed
    void closeConnections();      // hangs up every connection, as an idle server does

    QHash<QString, FixtureResponse> responses;  // by path; other paths get 404
    QStringList paths;                          // requested, in order
    int connections = 0;                        // accepted so far (TLS: after the handshake)

protected:
    // Takes ownership of listener and listens at once on a free port.
    ScriptedServer(QTcpServer *listener, const QString &scheme);

private:
    void serve(QTcpSocket *socket);
    void onReadyRead(QTcpSocket *socket, QByteArray &pending);
    void writeBody(QTcpSocket *socket, const QByteArray &body, const FixtureResponse &response);

    QTcpServer *m_listener;
    QString m_scheme;
};

class FixtureServer : public ScriptedServer {
public:
    FixtureServer();  // listens at once on a free port

    static quint16 unusedPort();  // where nothing listens
};
