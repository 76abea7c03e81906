#pragma once
// The HTTP client: libcurl's multi interface driven by the Qt event loop of the thread that
// owns it. Sockets are watched with QSocketNotifiers and libcurl's timer is one QTimer, so
// nothing blocks and nothing waits in a nested loop: a transfer reports by signals.
//
// libcurl brings what a map host may need: http and https (certificates checked against
// the system store, or the bundle that SSL_CERT_FILE names), proxies from http_proxy,
// https_proxy and no_proxy, up to 5 redirects to http or https, connection reuse and
// HTTP/2 where the server offers it.
//
// Outcome of a transfer (errorNumber()):
//   a status outside 2xx       ErrNotAMap as soon as the headers are in; the body is dropped
//                              (description "HTTP 404 Not Found")
//   body over the size limit   ErrTooLarge (announced Content-Length or bytes counted)
//   no byte for the time-out, or slower than 1 KiB/s over the low-speed window: ErrTimeout
//   connection refused, TLS handshake or certificate refused: ErrConnect
//   unknown host               ErrHostNotFound
//   the sink refused its bytes ErrSink (the caller knows why)
//   cut connection, body shorter than its Content-Length, too many redirects, anything
//   else: ErrTransfer
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QSocketNotifier;
class QTimer;

struct TransferOptions {
    int timeoutMs = 8000;         // no byte for this long: ErrTimeout
    int lowSpeedSeconds = 30;     // under 1 KiB/s for this long: ErrTimeout
    qint64 maxBodyBytes = 32ll * 1024 * 1024;
    bool direct = false;          // never through a proxy (the built-in server on loopback)
};

class HttpClient;

// One GET. Created by HttpClient::get; owned by whoever asked (a QObject child of nothing,
// deleted with deleteLater once finished).
class HttpTransfer : public QObject {
    Q_OBJECT
public:
    // Receives the body as it arrives; returning false stops the transfer with ErrSink.
    using Sink = std::function<bool(const char *data, qsizetype size)>;

    ~HttpTransfer() override;

    QString url() const { return m_url; }
    bool isFinished() const { return m_finished; }
    int errorNumber() const { return m_error; }
    QString errorText() const { return m_errorText; }  // in French, for the log
    // The same for the user, in the interface's language.
    QString errorShown() const { return m_errorShown.isEmpty() ? m_errorText : m_errorShown; }
    int status() const { return m_status; }
    qint64 announcedLength() const { return m_announced; }  // -1: not announced
    qint64 bytesReceived() const { return m_received; }

    // Ends the transfer with ErrCancelled; finished() follows from the event loop.
    // Harmless once finished.
    void cancel();

Q_SIGNALS:
    void progress(qint64 received, qint64 announced);
    void finished();  // once; errorNumber() says how it ended

private:
    friend class HttpClient;
    friend struct CurlGlue;
    HttpTransfer(HttpClient *client, const QString &url, const TransferOptions &options, Sink sink);

    bool headerLine(const QByteArray &line);
    bool acceptBody(const char *data, qsizetype size);
    void onIdleCheck();
    void stop(int number, const QString &text, const QString &shown);
    void stopNow();
    void complete(int curlCode);                  // libcurl reports the end
    void detach();                                // out of the multi handle, easy handle freed

    HttpClient *m_client;
    void *m_easy = nullptr;
    QString m_url;
    TransferOptions m_options;
    Sink m_sink;
    QTimer *m_idle;
    QElapsedTimer m_lastByte;
    char m_curlError[256] = {};
    QByteArray m_statusLine;
    int m_status = 0;
    bool m_location = false;  // the answer names where to go next
    qint64 m_announced = -1;
    qint64 m_received = 0;
    int m_pendingError = 0;  // decided by us inside a callback, reported when libcurl ends
    QString m_pendingText;
    QString m_pendingShown;  // empty: m_pendingText is no message (curl's, the server's)
    int m_error = 0;
    QString m_errorText;
    QString m_errorShown;
    bool m_finished = false;
};

class HttpClient : public QObject {
    Q_OBJECT
public:
    enum Error {
        NoError = 0,
        ErrStartFailed = 35750,      // the request could not start (bad address, no https ...)
        ErrHostNotFound = 35752,
        ErrConnect = 35753,          // connection refused, unreachable, TLS refused
        ErrTimeout = 35761,          // no byte for the time-out, or far too slow
        ErrCancelled = 35764,
        ErrTransfer = 35765,         // any other network failure
        ErrTooLarge = 35770,         // body over the size limit
        ErrSink = 35771,             // the receiver refused the bytes (a file that cannot be written)
        ErrNotAMap = 481,            // the server answered with a non-2xx status
    };

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;  // cancels what still runs

    // Starts a GET at once. Never null; a transfer that cannot start finishes with
    // ErrStartFailed from the event loop, like any other outcome.
    HttpTransfer *get(const QString &url, const TransferOptions &options, HttpTransfer::Sink sink);

    int runningTransfers() const { return int(m_running.size()); }

private:
    friend class HttpTransfer;
    friend struct CurlGlue;
    void watch(int fd, int what);
    void socketAction(int fd, int events);
    void readDone();

    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    void *m_multi;
    QTimer *m_timer;
    QHash<int, Watch> m_sockets;
    QHash<void *, HttpTransfer *> m_running;  // by easy handle
    int m_inAction = 0;
};
