#pragma once
// A small scripted HTTP server on 127.0.0.1 for tests. It runs in the test's own thread:
// the code under test waits with an event loop, so the server answers meanwhile.
// Every answer closes its connection ("Connection: close") unless it is scripted keep-alive.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

struct FixtureResponse {
    enum Behaviour {
        Answer,       // send status line, headers and body as scripted below
        Hang,         // read the request, then never answer (the connection stays open)
        CloseAtOnce,  // close the connection without a byte of answer
    };

    Behaviour behaviour = Answer;
    int status = 200;
    QByteArray reason = "OK";
    QList<QPair<QByteArray, QByteArray>> headers;  // sent as given, after the status line
    QByteArray body;
    bool sendContentLength = true;  // false: the end of the body is the close of the connection
    int pieceSize = 0;              // > 0: write the body in pieces of this size ...
    int pieceDelayMs = 0;           // ... with this delay before each piece
    qint64 cutAfter = -1;           // >= 0: close after this many body bytes
    int headerDelayMs = 0;          // delay before the status line
    bool keepAlive = false;         // "Connection: keep-alive": the connection waits for another request

    static FixtureResponse ok(const QByteArray &body, const QByteArray &contentType = "image/gif");
    static FixtureResponse error(int status, const QByteArray &reason);  // small HTML body
};

struct FixtureRequest {
    QByteArray method;
    QString path;  // as sent, query included
    QList<QPair<QByteArray, QByteArray>> headers;

    QByteArray header(const QByteArray &name) const;  // case-insensitive; empty when absent
};

class FixtureServer : public QObject {
    Q_OBJECT
public:
    explicit FixtureServer(QObject *parent = nullptr);  // listens at once on a free port
    ~FixtureServer() override;

    quint16 port() const;
    QString host() const;                     // "127.0.0.1:port"
    QString url(const QString &path) const;   // "http://127.0.0.1:port" + path

    // Scripted answer for one exact path; other paths get the default (404 unless set).
    void setResponse(const QString &path, const FixtureResponse &response);
    void setDefaultResponse(const FixtureResponse &response);
    // Computes every answer; wins over the scripted ones when set.
    void setHandler(std::function<FixtureResponse(const FixtureRequest &)> handler);
    void clear();  // forgets scripted answers, handler and recorded requests

    QList<FixtureRequest> requests() const;   // in order of arrival
    int requestCount(const QString &path) const;
    void clearRequests();
    // Connections still open; the client closing its side counts as closed.
    int openConnections() const;
    int connectionCount() const;  // connections accepted so far
    void closeConnections();      // hangs up every open connection, as an idle server does

    // A port on 127.0.0.1 where nothing listens (taken from a server that was then closed).
    static quint16 unusedPort();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const FixtureResponse &response);
    void writeBody(QTcpSocket *socket, const QByteArray &body, int pieceSize, int delayMs, bool keepAlive);

    QTcpServer m_server;
    QHash<QString, FixtureResponse> m_responses;
    FixtureResponse m_default;
    std::function<FixtureResponse(const FixtureRequest &)> m_handler;
    QList<FixtureRequest> m_requests;
    QHash<QTcpSocket *, QByteArray> m_pending;  // bytes of requests not yet complete
    int m_connectionCount = 0;
};
