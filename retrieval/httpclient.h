#pragma once
// Inet1: the one HTTP client of the window. One request at a time, plain HTTP GET,
// event driven; every wait lets window events run and sleeps until an event arrives.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

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
        ErrTooLarge = 35770,         // body over the size limit
        ErrTransfer = 35765,         // any other network failure (broken connection ...)
        ErrNotAMap = 481,            // the server answered with a non-2xx status
    };

    explicit HttpClient(QObject *parent = nullptr);
    ~HttpClient() override;

    void Cancel();                          // ends any request; harmless when idle
    void setProtocolHttp() {}               // plain HTTP is the only protocol
    void setRequestTimeout(int seconds);    // inactivity time-out
    void setRequestTimeoutMs(int ms);       // finer control for tests
    int requestTimeoutMs() const;
    void setMaxBodySize(qint64 bytes);      // default 32 MiB

    // Starts a GET without waiting. False (with an error set) when it cannot start.
    bool Execute(const QString &url);
    // True from Execute until the response headers have arrived (or the request ended).
    bool StillExecuting() const;
    // True until the request has completely ended (body received, failed or cancelled).
    bool busy() const;
    // Lets events run, sleeping, until StillExecuting() is false.
    void waitForResponse();
    // Lets events run, sleeping, until busy() is false.
    void waitIdle();

    QString GetHeader(const QString &name) const;   // empty when absent
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
    // The implementation may add private members freely; the public API above is shared.
};
