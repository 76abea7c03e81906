#pragma once
// Inet1: the one HTTP client of the window. One request at a time, plain HTTP/1.1 GET on a
// socket of the calling thread, event driven; every wait lets window events run and sleeps
// until an event arrives. A connection is kept open for the next request to the same
// host and port when the server allows it.
//
// Why a plain socket rather than QNetworkAccessManager: QNAM reads on a thread of its own
// that pulls whole socket reads of several MiB regardless of the reply's read buffer (peak
// memory over 4 MiB for a 30 MiB map), and every request and chunk crosses threads, which
// made fetching a run of small maps 3 to 6 times slower than curl.
//
// Contract of one request:
//   Execute(url)      starts a GET and returns at once. False, with ErrStartFailed, for an
//                     address that is not a valid http URL with a host (https is not
//                     spoken: such an address fails the same way); false, with
//                     no error set, while an earlier request is still busy() (the earlier
//                     one is left untouched). A successful start clears the previous error.
//   StillExecuting()  true from Execute until the response headers are known or the request
//                     ended. After it turns false, statusCode() and GetHeader() are valid.
//   GetChunk(max)     the next body bytes, at most max, in order. Waits (events run) while
//                     nothing is available. Empty at the end of the body, and empty at once
//                     when the request failed (errorNumber() says why). Bytes read before
//                     a failure was known stay read: after the final empty read, a body is
//                     whole only when errorNumber() is NoError.
//   busy()            true until the request ended and its body was read or discarded.
//                     A body that is not wanted is dropped with Cancel(); waitIdle() on an
//                     unread body larger than the read buffer only ends at the time-out.
//   Cancel()          ends the request and drops any unread body; the request then ends with
//                     ErrCancelled. Harmless when idle (no error is set).
//
// The body is never held whole: the client keeps at most a read buffer (64 KiB) of body
// ahead of the reader, and the socket's own buffer of the same size stops reading when
// full, so TCP flow control holds the server back.
//
// Outcomes (errorNumber()):
//   a status outside 2xx      ErrNotAMap as soon as the headers are in; the body is dropped
//                             (description "HTTP 404 Not Found")
//   body over maxBodySize     ErrTooLarge (announced Content-Length or bytes counted)
//   no bytes for the time-out ErrTimeout (the time-out is of inactivity, not total time)
//   connection refused        ErrConnect
//   unknown host              ErrHostNotFound
//   connection broken, body shorter than its Content-Length, broken chunked body, other
//   failures: ErrTransfer
//
// Redirects (301, 302, 303, 307, 308 with a Location) are followed up to 5 times, to http
// addresses only. Bodies are received as sent (Accept-Encoding: identity), framed by
// Content-Length, chunked transfer coding or the close of the connection.
//
// Re-entrancy: waits process events (sleeping until one arrives), so other handlers run
// meanwhile. If such a handler cancels the request, the wait ends; a wait never crosses
// into a later request.
#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class QTcpSocket;
class QTimer;

class HttpClient : public QObject {
    Q_OBJECT
public:
    // Error numbers raised by the client (errorNumber()).
    enum Error {
        NoError = 0,
        ErrStartFailed = 35750,      // the request could not start (bad address)
        ErrHostNotFound = 35752,
        ErrConnect = 35753,          // connection refused or host unreachable
        ErrTimeout = 35761,          // no bytes for the request time-out
        ErrCancelled = 35764,
        ErrTransfer = 35765,         // any other network failure (broken connection ...)
        ErrTooLarge = 35770,         // body over the size limit
        ErrNotAMap = 481,            // the server answered with a non-2xx status
    };

    static constexpr int DefaultTimeoutMs = 8000;
    static constexpr qint64 DefaultMaxBodySize = 32 * 1024 * 1024;
    static constexpr qint64 ReadBufferSize = 64 * 1024;

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    void Cancel();                          // ends any request; harmless when idle
    void setProtocolHttp() {}               // plain HTTP is the only protocol
    // Inactivity time-out of later requests (default 8 s); 0 or less restores the default,
    // since a request without one could hold every waiting loop for ever.
    void setRequestTimeout(int seconds);
    void setRequestTimeoutMs(int ms);       // finer control for tests
    int requestTimeoutMs() const;
    void setMaxBodySize(qint64 bytes);      // default 32 MiB; 0 or less restores it
    qint64 maxBodySize() const;

    // Starts a GET without waiting. False (with an error set) when it cannot start.
    bool Execute(const QString &url);
    // True from Execute until the response headers have arrived (or the request ended).
    bool StillExecuting() const;
    // True until the request has completely ended and its body was read or discarded.
    bool busy() const;
    // Lets events run, sleeping, until StillExecuting() is false.
    void waitForResponse();
    // Lets events run, sleeping, until busy() is false.
    void waitIdle();

    // Body bytes that arrived and wait to be read (bounded by the read buffer).
    qint64 bufferedBytes() const;

    QString GetHeader(const QString &name) const;   // empty when absent; case-insensitive name
    int statusCode() const;                          // 0 before headers / no response
    // Next body bytes, at most maxBytes; waits (events run) for data. Empty at the end
    // of the body, or on an error (then errorNumber() != 0).
    QByteArray GetChunk(int maxBytes = 8192);
    // Whole body of a GET, waiting for the end. On failure returns what arrived and sets
    // the error; a non-2xx status sets ErrNotAMap.
    QByteArray OpenURL(const QString &url);

    int errorNumber() const;
    QString errorDescription() const;
    void clearError();

Q_SIGNALS:
    void activity();  // anything happened (headers, data, end), for observers of the client

private:
    enum class Phase { StatusLine, Headers, Body, Complete };
    enum class Framing { None, Length, Chunked, Close };
    enum class ChunkPart { Size, Data, DataEnd, Trailer };

    void startHop();
    void openConnection();
    void sendRequest();
    void dropConnection();
    void onConnected(QTcpSocket *socket);
    void onReadable(QTcpSocket *socket);
    void onClosed(QTcpSocket *socket, QAbstractSocket::SocketError error);
    void onTimer();
    // Runs what the socket holds through the parser; true when something visible changed.
    bool pump();
    bool pumpIfRunning();
    bool headLine(const QByteArray &line);
    bool headEnd();
    enum class Step { Progress, NeedMore, Stop };
    Step bodyStep();
    void endOfStream();
    bool retryOnFreshConnection();
    QByteArray takeBody(qint64 maxBytes);
    qint64 pendingBody() const { return qint64(m_body.size()) - m_bodyPos; }
    bool running() const { return m_started && !m_ended; }
    void complete();
    void failRequest(Error number, const QString &description);
    void setError(Error number, const QString &description);
    void notify();
    // Runs events until done() holds or the request changes; false when it changed or
    // the client went away.
    bool waitUntil(const std::function<bool()> &done);

    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBodySize = DefaultMaxBodySize;

    // The connection, kept between requests when the server allows it.
    QTcpSocket *m_socket = nullptr;
    QString m_connHost;
    quint16 m_connPort = 0;
    bool m_connected = false;      // the socket's connection is established
    bool m_connReusable = false;   // idle, and the last answer on it was read whole
    bool m_reused = false;         // this hop went out on a kept connection
    bool m_retried = false;
    bool m_gotBytes = false;       // the current hop received a byte of answer
    bool m_peerClosed = false;
    bool m_peerBroken = false;     // closed by an error rather than an orderly close
    QString m_peerError;

    QTimer *m_timer;
    QElapsedTimer m_lastActivity;  // the time-out counts from the last byte received
    int m_inExecute = 0;           // activity() stays quiet while Execute sets things up

    // The request.
    quint64 m_serial = 0;          // counts requests, so a wait never spans two of them
    bool m_started = false;        // a request was started (it may have ended since)
    bool m_headersKnown = false;
    bool m_ended = false;          // the network side is over
    QUrl m_url;
    QByteArray m_requestBytes;
    int m_redirects = 0;
    int m_status = 0;
    QList<QPair<QByteArray, QByteArray>> m_headers;

    // The answer of the current hop, while it is parsed.
    Phase m_phase = Phase::StatusLine;
    Framing m_framing = Framing::None;
    ChunkPart m_chunkPart = ChunkPart::Size;
    qint64 m_remaining = 0;        // of the Content-Length or of the current chunk
    qint64 m_headBytes = 0;
    bool m_keepAlive = false;
    int m_hopStatus = 0;
    QByteArray m_hopReason;
    QList<QPair<QByteArray, QByteArray>> m_hopHeaders;

    // Decoded body bytes not yet handed out: m_body from m_bodyPos on.
    QByteArray m_body;
    qsizetype m_bodyPos = 0;
    qint64 m_bodyArrived = 0;      // decoded body bytes so far
    qint64 m_bytesRead = 0;        // body bytes handed to the caller

    int m_error = NoError;
    QString m_errorText;
};
