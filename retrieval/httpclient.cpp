#include "retrieval/httpclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <climits>

namespace {

bool isSuccess(int status) { return status >= 200 && status <= 299; }

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307
        || status == 308;
}

} // namespace

HttpClient::HttpClient(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
}

HttpClient::~HttpClient()
{
    if (m_reply) {
        // Nothing may reach a half-destroyed client; the manager deletes the reply.
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void HttpClient::setRequestTimeout(int seconds)
{
    setRequestTimeoutMs(seconds > 0 && seconds <= INT_MAX / 1000 ? seconds * 1000 : 0);
}

void HttpClient::setRequestTimeoutMs(int ms)
{
    // Without a time-out a silent server would hold every waiting loop for ever.
    m_timeoutMs = ms > 0 ? ms : DefaultTimeoutMs;
}

int HttpClient::requestTimeoutMs() const { return m_timeoutMs; }

void HttpClient::setMaxBodySize(qint64 bytes) { m_maxBodySize = bytes > 0 ? bytes : DefaultMaxBodySize; }

qint64 HttpClient::maxBodySize() const { return m_maxBodySize; }

bool HttpClient::Execute(const QString &url)
{
    if (busy()) {
        fail(ErrBusy, QStringLiteral("a request is already running"));
        return false;
    }
    const QUrl address(url, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || address.host().isEmpty()) {
        fail(ErrStartFailed, QStringLiteral("invalid address: ") + url);
        return false;
    }

    releaseReply();
    ++m_serial;
    m_started = true;
    m_headersKnown = false;
    m_ended = false;
    m_status = 0;
    m_bytesRead = 0;
    m_headers.clear();
    clearError();

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Cartavent/" CARTAVENT_VERSION));
    // Maps are stored byte for byte as served: no transparent decompression.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(m_timeoutMs);

    QNetworkReply *reply = m_manager->get(request);
    reply->setReadBufferSize(ReadBufferSize);
    m_reply = reply;
    // Each handler checks it still belongs to the current request: a late signal of an
    // earlier reply must not touch the next one.
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply)
            onMetaData();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply)
            onData();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == m_reply)
            finish();
    });
    return true;
}

bool HttpClient::StillExecuting() const { return m_started && !m_headersKnown && !m_ended; }

bool HttpClient::busy() const
{
    if (!m_started)
        return false;
    if (!m_ended)
        return true;
    return m_reply && m_reply->bytesAvailable() > 0;
}

void HttpClient::waitForResponse()
{
    waitUntil([this] { return !StillExecuting(); });
}

void HttpClient::waitIdle()
{
    waitUntil([this] { return !busy(); });
}

QString HttpClient::GetHeader(const QString &name) const
{
    const QByteArray wanted = name.toLatin1().toLower();
    QByteArray value;
    for (const auto &header : m_headers) {
        if (header.first.toLower() != wanted)
            continue;
        if (!value.isEmpty())
            value += ", ";
        value += header.second;
    }
    return QString::fromLatin1(value);
}

int HttpClient::statusCode() const { return m_status; }

qint64 HttpClient::bufferedBytes() const { return m_reply ? m_reply->bytesAvailable() : 0; }

QByteArray HttpClient::GetChunk(int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    for (;;) {
        // Failures drop the reply, so a failed body ends here at once.
        if (!m_reply)
            return {};
        const qint64 available = m_reply->bytesAvailable();
        if (available > 0) {
            const QByteArray data = m_reply->read(qMin<qint64>(maxBytes, available));
            m_bytesRead += data.size();
            if (m_ended && m_reply->bytesAvailable() == 0)
                releaseReply();
            return data;
        }
        if (m_ended) {
            releaseReply();
            return {};
        }
        const bool same = waitUntil([this] { return !m_reply || m_ended || m_reply->bytesAvailable() > 0; });
        if (!same)
            return {};
    }
}

QByteArray HttpClient::OpenURL(const QString &url)
{
    if (!Execute(url))
        return {};
    QByteArray body;
    for (;;) {
        const QByteArray chunk = GetChunk(int(ReadBufferSize));
        if (chunk.isEmpty())
            break;
        body += chunk;
    }
    return body;
}

int HttpClient::errorNumber() const { return m_error; }

QString HttpClient::errorDescription() const { return m_errorText; }

void HttpClient::clearError()
{
    m_error = NoError;
    m_errorText.clear();
}

void HttpClient::Cancel()
{
    if (!busy())
        return;
    fail(ErrCancelled, QStringLiteral("request cancelled"));
    if (m_reply && !m_ended)
        m_reply->abort();  // emits finished at once
    finish();
    releaseReply();
    Q_EMIT activity();
}

void HttpClient::onMetaData()
{
    if (m_ended)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A redirect that is being followed is not the answer yet.
    if (isRedirect(status) && m_reply->hasRawHeader("Location"))
        return;
    m_status = status;
    m_headers = m_reply->rawHeaderPairs();
    m_headersKnown = true;

    if (!isSuccess(status)) {
        // An error page is not a map: refuse it before a byte of it is read.
        const QString reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        // Not aborted: Qt reports the status as an error of its own, and an abort on top of
        // it is reported twice. Releasing the reply drops the transfer all the same.
        fail(ErrNotAMap, QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed());
        finish();
        return;
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_maxBodySize) {
        abortWith(ErrTooLarge, QStringLiteral("announced body of %1 bytes is over the limit of %2")
                                   .arg(length.toLongLong())
                                   .arg(m_maxBodySize));
        return;
    }
    Q_EMIT activity();
}

qint64 HttpClient::bodyBytesArrived() const
{
    return m_bytesRead + bufferedBytes();
}

void HttpClient::onData()
{
    if (m_ended)
        return;
    // Counted before a byte over the limit can be read.
    if (bodyBytesArrived() > m_maxBodySize) {
        abortWith(ErrTooLarge, QStringLiteral("body over the limit of %1 bytes").arg(m_maxBodySize));
        return;
    }
    Q_EMIT activity();
}

void HttpClient::finish()
{
    if (!m_reply || m_ended)
        return;
    m_ended = true;
    QNetworkReply *reply = m_reply;

    if (m_error == NoError) {
        if (!m_headersKnown && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            m_status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            m_headers = reply->rawHeaderPairs();
        }
        const QNetworkReply::NetworkError error = reply->error();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        switch (error) {
        case QNetworkReply::NoError:
            if (!isSuccess(m_status)) {
                fail(ErrNotAMap, QStringLiteral("HTTP %1").arg(m_status));
            } else if (length.isValid() && bodyBytesArrived() < length.toLongLong()) {
                fail(ErrTransfer, QStringLiteral("connection closed after %1 of %2 bytes")
                                      .arg(bodyBytesArrived())
                                      .arg(length.toLongLong()));
            }
            break;
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            // Our own aborts set their error first, so this is the transfer time-out.
            fail(ErrTimeout, QStringLiteral("no answer for %1 ms").arg(m_timeoutMs));
            break;
        case QNetworkReply::ConnectionRefusedError:
            fail(ErrConnect, reply->errorString());
            break;
        case QNetworkReply::HostNotFoundError:
            fail(ErrHostNotFound, reply->errorString());
            break;
        default:
            if (m_status != 0 && !isSuccess(m_status))
                fail(ErrNotAMap, QStringLiteral("HTTP %1").arg(m_status));
            else
                fail(ErrTransfer, reply->errorString());
            break;
        }
    }
    m_headersKnown = true;
    if (m_error != NoError)
        releaseReply();  // a failed body is never handed out
    Q_EMIT activity();
}

void HttpClient::fail(Error number, const QString &description)
{
    m_error = number;
    m_errorText = description;
}

void HttpClient::abortWith(Error number, const QString &description)
{
    fail(number, description);
    if (m_reply)
        m_reply->abort();
    finish();
}

void HttpClient::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    // Possibly inside one of the reply's own signals: never delete it here. Deleting a
    // running reply also ends its transfer.
    reply->deleteLater();
}

bool HttpClient::waitUntil(const std::function<bool()> &done)
{
    const QPointer<HttpClient> self(this);
    const quint64 serial = m_serial;
    // The guard only bounds how long a missed wake-up could go unnoticed.
    QTimer guard;
    guard.start(250);
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!self || m_serial != serial)
            return false;
    }
    return true;
}
