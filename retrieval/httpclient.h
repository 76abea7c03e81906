#pragma once
// Inet1: the one HTTP client of the window. One request at a time, plain HTTP GET,
// event driven; every wait lets window events run and sleeps until an event arrives.
//
// Contract of one request:
//   Execute(url)      starts a GET and returns at once. False, with ErrStartFailed, for an
//                     address that is not a valid http(s) URL with a host; false, with
//                     ErrBusy, while an earlier request is still busy() (the earlier one is
//                     left untouched). A successful start clears the previous error.
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
// The body is never held whole: the network layer keeps at most a read buffer (64 KiB)
// ahead of the reader and stops reading the socket when it is full.
//
// Outcomes (errorNumber()):
//   a status outside 2xx      ErrNotAMap as soon as the headers are in; the body is dropped
//                             (description "HTTP 404 Not Found")
//   body over maxBodySize     ErrTooLarge (announced Content-Length or bytes counted)
//   no bytes for the time-out ErrTimeout (the time-out is of inactivity, not total time)
//   connection refused        ErrConnect
//   unknown host              ErrHostNotFound
//   connection broken, body shorter than its Content-Length, other failures: ErrTransfer
//
// Redirects are followed (never from https to http). Bodies are received as sent
// (Accept-Encoding: identity).
//
// Re-entrancy: waits process events (sleeping until one arrives), so other handlers run
// meanwhile. If such a handler cancels the request, the wait ends; a wait never crosses
// into a later request.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

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
        ErrBusy = 35766,             // Execute while an earlier request is still busy
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
    void activity();  // anything happened (headers, data, end): wakes waiting loops

private:
    void onMetaData();
    void onData();
    qint64 bodyBytesArrived() const;  // read by the caller or waiting in the reply
    void finish();
    void fail(Error number, const QString &description);
    void abortWith(Error number, const QString &description);
    void releaseReply();
    // Runs events until done() holds or the request changes; false when it changed or
    // the client went away.
    bool waitUntil(const std::function<bool()> &done);

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    int m_timeoutMs = DefaultTimeoutMs;
    qint64 m_maxBodySize = DefaultMaxBodySize;

    quint64 m_serial = 0;          // counts requests, so a wait never spans two of them
    bool m_started = false;        // a request was started (it may have ended since)
    bool m_headersKnown = false;
    bool m_ended = false;          // the network side is over
    int m_status = 0;
    qint64 m_bytesRead = 0;        // body bytes handed to the caller
    QList<QPair<QByteArray, QByteArray>> m_headers;

    int m_error = NoError;
    QString m_errorText;
};
