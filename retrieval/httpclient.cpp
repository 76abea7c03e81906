#include "retrieval/httpclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <climits>

namespace {

constexpr int MaxRedirects = 5;
// A head this large does not come from a map server.
constexpr qint64 MaxHeadBytes = 256 * 1024;
// Chunk size lines are short; a longer run without a line end is garbage.
constexpr qint64 MaxChunkLine = 4096;

bool isSuccess(int status) { return status >= 200 && status <= 299; }

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

using Headers = QList<QPair<QByteArray, QByteArray>>;

bool hasHeader(const Headers &headers, const char *name)
{
    for (const auto &header : headers)
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// All values of a header, joined as one list.
QByteArray headerValue(const Headers &headers, const char *name)
{
    QByteArray value;
    bool found = false;
    for (const auto &header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (found)
            value += ", ";
        value += header.second;
        found = true;
    }
    return value;
}

QList<QByteArray> tokens(const QByteArray &list)
{
    QList<QByteArray> result;
    for (const QByteArray &part : list.split(',')) {
        const QByteArray token = part.trimmed().toLower();
        if (!token.isEmpty())
            result.append(token);
    }
    return result;
}

// Decimal Content-Length, possibly repeated as a list of equal values; -1 when unreadable.
qint64 parseLength(const QByteArray &value)
{
    qint64 result = -1;
    for (const QByteArray &part : value.split(',')) {
        const QByteArray digits = part.trimmed();
        if (digits.isEmpty() || digits.size() > 18)
            return -1;
        qint64 number = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return -1;
            number = number * 10 + (c - '0');
        }
        if (result >= 0 && number != result)
            return -1;
        result = number;
    }
    return result;
}

// Hexadecimal chunk size, extensions after ';' ignored; -1 when unreadable.
qint64 parseChunkSize(const QByteArray &line)
{
    const qsizetype semicolon = line.indexOf(';');
    const QByteArray hex = (semicolon < 0 ? line : line.left(semicolon)).trimmed();
    if (hex.isEmpty() || hex.size() > 15)
        return -1;
    qint64 size = 0;
    for (char c : hex) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        size = size * 16 + digit;
    }
    return size;
}

bool isHttp(const QUrl &url)
{
    return url.isValid() && url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
        && !url.host().isEmpty() && url.port(80) > 0;
}

} // namespace

HttpClient::HttpClient(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &HttpClient::onTimer);
}

HttpClient::~HttpClient()
{
    // Nothing may reach a half-destroyed client.
    dropConnection();
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
    if (busy())
        return false;  // the running request keeps its own state, error included
    const QUrl address(url, QUrl::StrictMode);
    if (!isHttp(address)) {
        const bool secure = address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        setError(ErrStartFailed, (secure ? QStringLiteral("https is not supported: ")
                                         : QStringLiteral("invalid address: "))
                                     + url);
        return false;
    }

    ++m_serial;
    m_started = true;
    m_headersKnown = false;
    m_ended = false;
    m_url = address;
    m_redirects = 0;
    m_status = 0;
    m_headers.clear();
    m_body.clear();
    m_bodyPos = 0;
    m_bodyArrived = 0;
    m_bytesRead = 0;
    clearError();

    // Socket signals may come at once (a connection made or broken on the spot); the
    // caller learns the outcome from the state, not from a signal inside this call.
    ++m_inExecute;
    startHop();
    --m_inExecute;
    return true;
}

void HttpClient::startHop()
{
    m_phase = Phase::StatusLine;
    m_framing = Framing::None;
    m_chunkPart = ChunkPart::Size;
    m_remaining = 0;
    m_headBytes = 0;
    m_keepAlive = false;
    m_hopStatus = 0;
    m_hopReason.clear();
    m_hopHeaders.clear();
    m_retried = false;
    m_gotBytes = false;
    m_peerClosed = false;
    m_peerBroken = false;
    m_peerError.clear();

    const QString host = m_url.host();
    const quint16 port = quint16(m_url.port(80));
    QByteArray target = m_url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    QByteArray hostField = m_url.host(QUrl::FullyEncoded).toLatin1();
    if (hostField.contains(':'))
        hostField = '[' + hostField + ']';
    if (port != 80)
        hostField += ':' + QByteArray::number(port);
    m_requestBytes = "GET " + target + " HTTP/1.1\r\nHost: " + hostField
        + "\r\nUser-Agent: Cartavent/" CARTAVENT_VERSION
          "\r\nAccept-Encoding: identity\r\nConnection: keep-alive\r\n\r\n";

    // The timer may still run from an earlier request: it re-arms from the last activity.
    m_lastActivity.start();
    if (!m_timer->isActive() || m_timer->remainingTime() > m_timeoutMs)
        m_timer->start(m_timeoutMs);

    if (m_socket && m_connReusable && m_connHost == host && m_connPort == port
        && m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesAvailable() == 0) {
        m_connReusable = false;
        m_reused = true;
        sendRequest();
    } else {
        dropConnection();
        m_reused = false;
        openConnection();
    }
}

void HttpClient::openConnection()
{
    auto *socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    // The socket stops reading when this much waits, so the server is held back.
    socket->setReadBufferSize(ReadBufferSize);
    connect(socket, &QTcpSocket::connected, this, [this, socket] { onConnected(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
    connect(socket, &QTcpSocket::disconnected, this,
            [this, socket] { onClosed(socket, QAbstractSocket::RemoteHostClosedError); });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError error) { onClosed(socket, error); });
    m_socket = socket;
    m_connHost = m_url.host();
    m_connPort = quint16(m_url.port(80));
    m_connected = false;
    m_connReusable = false;
    socket->connectToHost(m_connHost, m_connPort);
}

void HttpClient::sendRequest()
{
    // One write, pushed out at once rather than on the next pass of the event loop.
    m_socket->write(m_requestBytes);
    m_socket->flush();
}

void HttpClient::dropConnection()
{
    m_connReusable = false;
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    m_connected = false;
    socket->disconnect(this);
    socket->abort();
    // Possibly inside one of the socket's own signals: never delete it here.
    socket->deleteLater();
}

void HttpClient::onConnected(QTcpSocket *socket)
{
    if (socket != m_socket)
        return;
    m_connected = true;
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!running()) {
        dropConnection();
        return;
    }
    m_lastActivity.start();
    sendRequest();
}

void HttpClient::onReadable(QTcpSocket *socket)
{
    if (socket != m_socket)
        return;
    if (!running()) {
        // An idle connection has nothing to say; whatever it sends makes it unusable.
        dropConnection();
        return;
    }
    m_lastActivity.start();
    m_gotBytes = true;
    if (pump())
        notify();
}

void HttpClient::onClosed(QTcpSocket *socket, QAbstractSocket::SocketError error)
{
    if (socket != m_socket)
        return;
    if (!running()) {
        dropConnection();
        return;
    }
    if (!m_connected) {
        failRequest(error == QAbstractSocket::HostNotFoundError ? ErrHostNotFound : ErrConnect,
                    socket->errorString());
        notify();
        return;
    }
    // errorOccurred and disconnected both report one close.
    if (m_peerClosed)
        return;
    m_peerClosed = true;
    if (error != QAbstractSocket::RemoteHostClosedError) {
        m_peerBroken = true;
        m_peerError = socket->errorString();
    }
    // What the socket still holds is read first; the end is judged when it runs out.
    pump();
    notify();
}

void HttpClient::onTimer()
{
    if (!running())
        return;
    const qint64 quiet = m_lastActivity.elapsed();
    if (quiet < m_timeoutMs) {
        m_timer->start(int(m_timeoutMs - quiet));
        return;
    }
    failRequest(ErrTimeout, QStringLiteral("no answer for %1 ms").arg(m_timeoutMs));
    notify();
}

bool HttpClient::pumpIfRunning()
{
    return running() && m_socket ? pump() : false;
}

bool HttpClient::pump()
{
    bool changed = false;
    bool needMore = false;
    while (running() && m_socket && !needMore) {
        QTcpSocket *socket = m_socket;
        if (m_phase == Phase::StatusLine || m_phase == Phase::Headers) {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() >= ReadBufferSize) {
                    failRequest(ErrTransfer, QStringLiteral("answer header line too long"));
                    return true;
                }
                needMore = true;
                continue;
            }
            const QByteArray line = socket->readLine();
            m_headBytes += line.size();
            if (m_headBytes > MaxHeadBytes) {
                failRequest(ErrTransfer, QStringLiteral("answer header too long"));
                return true;
            }
            const bool wasKnown = m_headersKnown;
            if (!headLine(withoutLineEnd(line)))
                return true;  // ended, or gone to another connection
            changed = changed || m_headersKnown != wasKnown;
        } else if (m_phase == Phase::Body) {
            // The reader catches up before more is taken from the socket.
            if (pendingBody() >= ReadBufferSize)
                return changed;
            switch (bodyStep()) {
            case Step::Progress:
                changed = true;
                break;
            case Step::NeedMore:
                needMore = true;
                break;
            case Step::Stop:
                return true;
            }
        } else {
            break;
        }
    }
    if (needMore && m_peerClosed && running()) {
        endOfStream();
        changed = true;
    }
    return changed;
}

bool HttpClient::headLine(const QByteArray &line)
{
    if (m_phase == Phase::StatusLine) {
        if (line.isEmpty())
            return true;  // a stray line end between answers
        // "HTTP/1.1 200 OK"
        const qsizetype space = line.indexOf(' ');
        const QByteArray version = line.left(space);
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
        bool numeric = false;
        const int status = rest.left(3).toInt(&numeric);
        if (!version.startsWith("HTTP/1.") || rest.size() < 3 || !numeric || status < 100 || status > 999
            || (rest.size() > 3 && rest.at(3) != ' ')) {
            failRequest(ErrTransfer, QStringLiteral("not an HTTP answer"));
            return false;
        }
        m_hopStatus = status;
        m_hopReason = rest.mid(4).trimmed();
        // The reason goes into the log: no control character may split its line.
        for (char &c : m_hopReason) {
            if (uchar(c) < 0x20 || c == 0x7f)
                c = ' ';
        }
        m_keepAlive = version != "HTTP/1.0";
        m_hopHeaders.clear();
        m_phase = Phase::Headers;
        return true;
    }
    if (line.isEmpty())
        return headEnd();
    if ((line.at(0) == ' ' || line.at(0) == '\t') && !m_hopHeaders.isEmpty()) {
        m_hopHeaders.last().second += ' ' + line.trimmed();  // folded continuation
        return true;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0)
        m_hopHeaders.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    return true;
}

bool HttpClient::headEnd()
{
    const int status = m_hopStatus;
    if (status < 200) {
        // An interim answer: the real one follows on the same connection.
        m_phase = Phase::StatusLine;
        return true;
    }
    const QList<QByteArray> connection = tokens(headerValue(m_hopHeaders, "Connection"));
    if (connection.contains("close"))
        m_keepAlive = false;
    else if (connection.contains("keep-alive"))
        m_keepAlive = true;

    const QByteArray location = headerValue(m_hopHeaders, "Location");
    if (isRedirect(status) && !location.isEmpty()) {
        const QUrl next = m_url.resolved(QUrl::fromEncoded(location));
        if (isHttp(next)) {
            if (m_redirects >= MaxRedirects) {
                m_status = status;
                m_headers = m_hopHeaders;
                m_headersKnown = true;
                failRequest(ErrTransfer, QStringLiteral("more than %1 redirects").arg(MaxRedirects));
                return false;
            }
            ++m_redirects;
            m_url = next;
            // The redirect's own body is not worth reading.
            dropConnection();
            startHop();
            return false;
        }
    }

    m_status = status;
    m_headers = m_hopHeaders;
    m_headersKnown = true;
    if (!isSuccess(status)) {
        // An error page is not a map: refuse it before a byte of it is read, and hang up.
        failRequest(ErrNotAMap, QStringLiteral("HTTP %1 %2").arg(status).arg(QString::fromLatin1(m_hopReason)).trimmed());
        return false;
    }

    if (status == 204) {
        m_framing = Framing::None;
    } else if (hasHeader(m_hopHeaders, "Transfer-Encoding")) {
        const QList<QByteArray> codings = tokens(headerValue(m_hopHeaders, "Transfer-Encoding"));
        if (!codings.isEmpty() && codings.last() == "chunked") {
            m_framing = Framing::Chunked;
            m_chunkPart = ChunkPart::Size;
        } else {
            m_framing = Framing::Close;
            m_keepAlive = false;
        }
    } else if (hasHeader(m_hopHeaders, "Content-Length")) {
        const qint64 length = parseLength(headerValue(m_hopHeaders, "Content-Length"));
        if (length < 0) {
            failRequest(ErrTransfer, QStringLiteral("unreadable Content-Length"));
            return false;
        }
        if (length > m_maxBodySize) {
            failRequest(ErrTooLarge, QStringLiteral("announced body of %1 bytes is over the limit of %2")
                                         .arg(length)
                                         .arg(m_maxBodySize));
            return false;
        }
        m_framing = Framing::Length;
        m_remaining = length;
    } else {
        m_framing = Framing::Close;
        m_keepAlive = false;
    }
    m_phase = Phase::Body;
    if (m_framing == Framing::None || (m_framing == Framing::Length && m_remaining == 0))
        complete();
    return true;
}

HttpClient::Step HttpClient::bodyStep()
{
    QTcpSocket *socket = m_socket;
    const bool inData = m_framing != Framing::Chunked || m_chunkPart == ChunkPart::Data;
    if (inData) {
        const qint64 available = socket->bytesAvailable();
        if (available <= 0)
            return Step::NeedMore;
        qint64 count = qMin(available, ReadBufferSize - pendingBody());
        if (m_framing != Framing::Close)
            count = qMin(count, m_remaining);
        if (m_bodyPos > 0 && m_bodyPos >= ReadBufferSize) {
            m_body.remove(0, m_bodyPos);
            m_bodyPos = 0;
        }
        const qsizetype before = m_body.size();
        m_body.resize(before + count);
        const qint64 got = qMax<qint64>(socket->read(m_body.data() + before, count), 0);
        m_body.resize(before + got);
        if (got == 0)
            return Step::NeedMore;
        m_bodyArrived += got;
        // Counted before a byte over the limit can be read.
        if (m_bodyArrived > m_maxBodySize) {
            failRequest(ErrTooLarge, QStringLiteral("body over the limit of %1 bytes").arg(m_maxBodySize));
            return Step::Stop;
        }
        if (m_framing != Framing::Close) {
            m_remaining -= got;
            if (m_remaining == 0) {
                if (m_framing == Framing::Length)
                    complete();
                else
                    m_chunkPart = ChunkPart::DataEnd;
            }
        }
        return Step::Progress;
    }

    // Chunk framing: a size line, the line end after the data, or the trailer.
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxChunkLine) {
            failRequest(ErrTransfer, QStringLiteral("broken chunked body"));
            return Step::Stop;
        }
        return Step::NeedMore;
    }
    const QByteArray line = withoutLineEnd(socket->readLine());
    switch (m_chunkPart) {
    case ChunkPart::Size: {
        const qint64 size = parseChunkSize(line);
        if (size < 0) {
            failRequest(ErrTransfer, QStringLiteral("broken chunked body"));
            return Step::Stop;
        }
        m_remaining = size;
        m_chunkPart = size == 0 ? ChunkPart::Trailer : ChunkPart::Data;
        break;
    }
    case ChunkPart::DataEnd:
        if (!line.isEmpty()) {
            failRequest(ErrTransfer, QStringLiteral("broken chunked body"));
            return Step::Stop;
        }
        m_chunkPart = ChunkPart::Size;
        break;
    case ChunkPart::Trailer:
        if (line.isEmpty()) {
            complete();  // trailer fields before it are ignored
            break;
        }
        // An endless trailer would hold the request (and the program's transfer) forever.
        m_headBytes += line.size();
        if (m_headBytes > MaxHeadBytes) {
            failRequest(ErrTransfer, QStringLiteral("broken chunked body"));
            return Step::Stop;
        }
        break;
    case ChunkPart::Data:
        break;
    }
    return Step::Progress;
}

void HttpClient::endOfStream()
{
    if (m_phase == Phase::StatusLine || m_phase == Phase::Headers) {
        if (retryOnFreshConnection())
            return;
        failRequest(ErrTransfer, m_peerBroken ? m_peerError
                                 : m_gotBytes ? QStringLiteral("connection closed in the middle of the answer's header")
                                              : QStringLiteral("connection closed without an answer"));
        return;
    }
    if (m_peerBroken) {
        failRequest(ErrTransfer, m_peerError);
    } else if (m_framing == Framing::Close) {
        complete();
    } else if (m_framing == Framing::Length) {
        failRequest(ErrTransfer, QStringLiteral("connection closed after %1 of %2 bytes")
                                     .arg(m_bodyArrived)
                                     .arg(m_bodyArrived + m_remaining));
    } else {
        failRequest(ErrTransfer, QStringLiteral("connection closed in the middle of a chunked body"));
    }
}

bool HttpClient::retryOnFreshConnection()
{
    // A kept connection may have been closed by the server while idle: the request then
    // goes again, once, on a new one. Never when a byte of answer came.
    if (!m_reused || m_retried || m_gotBytes)
        return false;
    m_retried = true;
    dropConnection();
    m_reused = false;
    m_peerClosed = false;
    m_peerBroken = false;
    m_peerError.clear();
    m_lastActivity.start();
    openConnection();
    return true;
}

QByteArray HttpClient::takeBody(qint64 maxBytes)
{
    const qint64 count = qMin(maxBytes, pendingBody());
    QByteArray data = m_body.mid(m_bodyPos, count);
    m_bodyPos += count;
    if (m_bodyPos >= m_body.size()) {
        m_body.resize(0);  // keeps the allocation for the next bytes
        m_bodyPos = 0;
    }
    return data;
}

void HttpClient::complete()
{
    m_phase = Phase::Complete;
    m_ended = true;
    m_connReusable = m_keepAlive && !m_peerClosed && m_socket
        && m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesAvailable() == 0;
    if (!m_connReusable)
        dropConnection();
}

void HttpClient::failRequest(Error number, const QString &description)
{
    setError(number, description);
    m_ended = true;
    // A failed body is never handed out.
    m_body.clear();
    m_bodyPos = 0;
    dropConnection();
}

void HttpClient::setError(Error number, const QString &description)
{
    m_error = number;
    m_errorText = description;
}

void HttpClient::notify()
{
    if (!m_inExecute)
        Q_EMIT activity();
}

bool HttpClient::StillExecuting() const { return m_started && !m_headersKnown && !m_ended; }

bool HttpClient::busy() const { return m_started && (!m_ended || pendingBody() > 0); }

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
    return QString::fromLatin1(headerValue(m_headers, name.toLatin1().constData()));
}

int HttpClient::statusCode() const { return m_status; }

qint64 HttpClient::bufferedBytes() const
{
    return pendingBody() + (running() && m_socket ? m_socket->bytesAvailable() : 0);
}

QByteArray HttpClient::GetChunk(int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    for (;;) {
        pumpIfRunning();
        if (pendingBody() > 0) {
            const QByteArray data = takeBody(maxBytes);
            m_bytesRead += data.size();
            // Refilled at once, so the socket keeps draining while the caller works.
            pumpIfRunning();
            return data;
        }
        // Failures drop what was pending, so a failed body ends here at once.
        if (!running())
            return {};
        if (!waitUntil([this] { return !running() || pendingBody() > 0; }))
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
    const bool networkRunning = !m_ended;
    setError(ErrCancelled, QStringLiteral("request cancelled"));
    m_ended = true;
    m_body.clear();
    m_bodyPos = 0;
    // A body that came whole leaves its connection fit for the next request.
    if (networkRunning)
        dropConnection();
    notify();
}

bool HttpClient::waitUntil(const std::function<bool()> &done)
{
    const QPointer<HttpClient> self(this);
    const quint64 serial = m_serial;
    // Bytes may wait in the socket without a signal (read in a nested loop, or held back
    // while the body buffer was full): they are taken before deciding to sleep.
    pumpIfRunning();
    if (done())
        return true;
    // The guard only bounds how long a missed wake-up could go unnoticed.
    QTimer guard;
    guard.start(250);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!self || m_serial != serial)
            return false;
        pumpIfRunning();
        if (done())
            return true;
    }
}
