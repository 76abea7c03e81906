#include "retrieval/httpclient.h"
#include "retrieval/httperrors.h"
#include "shell/messages.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace {

constexpr long LowSpeedBytesPerSecond = 1024;
constexpr long MaxRedirects = 5;
const char *const UserAgent = "Cartavent/" CARTAVENT_VERSION;

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

// libcurl calls plain functions; these hand over to the objects.
struct CurlGlue {
    static size_t write(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<HttpTransfer *>(self);
        const qsizetype n = qsizetype(size * count);
        return t->acceptBody(data, n) ? size_t(n) : 0;
    }

    static size_t header(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<HttpTransfer *>(self);
        const size_t n = size * count;
        return t->headerLine(QByteArray(data, qsizetype(n))) ? n : 0;
    }

    static int socket(CURL *, curl_socket_t fd, int what, void *self, void *)
    {
        static_cast<HttpClient *>(self)->watch(int(fd), what);
        return 0;
    }

    static int timer(CURLM *, long timeoutMs, void *self)
    {
        QTimer *timer = static_cast<HttpClient *>(self)->m_timer;
        if (timeoutMs < 0)
            timer->stop();
        else
            timer->start(int(qMin<long>(timeoutMs, 24l * 3600 * 1000)));
        return 0;
    }
};

// --- HttpTransfer ---

HttpTransfer::HttpTransfer(HttpClient *client, const QString &url, const TransferOptions &options, Sink sink)
    : m_client(client), m_url(url), m_options(options), m_sink(std::move(sink)), m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    connect(m_idle, &QTimer::timeout, this, &HttpTransfer::onIdleCheck);
}

HttpTransfer::~HttpTransfer()
{
    detach();
}

void HttpTransfer::cancel()
{
    if (m_finished || m_pendingError)
        return;
    stop(HttpClient::ErrCancelled, QStringLiteral("Transfert annulé"), msg(Msg::TransferCancelled));
}

void HttpTransfer::stop(int number, const QString &text, const QString &shown)
{
    m_pendingError = number;
    m_pendingText = text;
    m_pendingShown = shown;
    // Inside libcurl's own processing the handle may not be removed: end it from the
    // event loop. Either way the caller is never re-entered by finished().
    QMetaObject::invokeMethod(this, &HttpTransfer::stopNow, Qt::QueuedConnection);
}

void HttpTransfer::stopNow()
{
    if (m_finished)
        return;
    detach();
    m_error = m_pendingError;
    m_errorText = m_pendingText;
    m_errorShown = m_pendingShown;
    m_finished = true;
    Q_EMIT finished();
}

void HttpTransfer::detach()
{
    m_idle->stop();
    if (!m_easy)
        return;
    if (m_client) {
        curl_multi_remove_handle(m_client->m_multi, m_easy);
        m_client->m_running.remove(m_easy);
    }
    curl_easy_cleanup(m_easy);
    m_easy = nullptr;
}

void HttpTransfer::onIdleCheck()
{
    if (m_finished)
        return;
    const qint64 quiet = m_lastByte.elapsed();
    if (quiet < m_options.timeoutMs) {
        m_idle->start(int(m_options.timeoutMs - quiet));
        return;
    }
    const double seconds = m_options.timeoutMs / 1000.0;
    stop(HttpClient::ErrTimeout, QStringLiteral("Aucune réponse depuis %1 s").arg(seconds), msg(Msg::NoAnswer).arg(seconds));
}

bool HttpTransfer::headerLine(const QByteArray &line)
{
    if (m_pendingError)
        return false;
    m_lastByte.start();
    if (line.startsWith("HTTP/")) {
        // Each answer of a redirect chain starts afresh.
        m_statusLine = line.trimmed();
        const QList<QByteArray> parts = m_statusLine.split(' ');
        m_status = parts.size() > 1 ? parts.at(1).toInt() : 0;
        m_announced = -1;
        m_location = false;
        return true;
    }
    if (line.size() > 9 && qstrnicmp(line.constData(), "location:", 9) == 0) {
        m_location = !line.mid(9).trimmed().isEmpty();
        return true;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed().compare("content-length", Qt::CaseInsensitive) == 0) {
        bool ok = false;
        const qint64 length = line.mid(colon + 1).trimmed().toLongLong(&ok);
        m_announced = ok && length >= 0 ? length : -1;
        return true;
    }
    if (line != "\r\n" && line != "\n")
        return true;
    // End of one answer's headers.
    if (m_status >= 100 && m_status < 200)
        return true;
    if (m_status >= 200 && m_status < 300) {
        if (m_announced > m_options.maxBodyBytes) {
            m_pendingError = HttpClient::ErrTooLarge;
            m_pendingText = QStringLiteral("Carte trop grande (%1 octets)").arg(m_announced);
            m_pendingShown = msg(Msg::MapTooLarge).arg(m_announced);
            return false;
        }
        return true;
    }
    if (isRedirect(m_status) && m_location)
        return true;  // libcurl follows it
    // An error page is not a map: hang up before its body.
    m_pendingError = HttpClient::ErrNotAMap;
    m_pendingText = statusText(m_statusLine, m_status);
    return false;
}

bool HttpTransfer::acceptBody(const char *data, qsizetype size)
{
    if (m_pendingError)
        return false;
    m_lastByte.start();
    if (m_received + size > m_options.maxBodyBytes) {
        m_pendingError = HttpClient::ErrTooLarge;
        m_pendingText = QStringLiteral("Carte trop grande (plus de %1 octets)").arg(m_options.maxBodyBytes);
        m_pendingShown = msg(Msg::MapTooLargeOver).arg(m_options.maxBodyBytes);
        return false;
    }
    if (m_sink && !m_sink(data, size)) {
        m_pendingError = HttpClient::ErrSink;
        return false;
    }
    m_received += size;
    Q_EMIT progress(m_received, m_announced);
    return true;
}

void HttpTransfer::complete(int curlCode)
{
    const auto code = CURLcode(curlCode);
    int error = m_pendingError ? m_pendingError : errorOf(int(code));
    // A redirect to an address that cannot be fetched: the request itself did start.
    if (error == HttpClient::ErrStartFailed && m_status)
        error = HttpClient::ErrTransfer;
    QString text = m_pendingError ? m_pendingText : QString();
    const QString shown = m_pendingError ? m_pendingShown : QString();
    if (!error && (m_status < 200 || m_status >= 300)) {
        error = HttpClient::ErrNotAMap;  // an error answer with an empty body
        text = statusText(m_statusLine, m_status);
    }
    if (error && text.isEmpty())
        text = QString::fromUtf8(m_curlError[0] ? m_curlError : curl_easy_strerror(code)).trimmed();
    detach();
    m_error = error;
    m_errorText = text;
    m_errorShown = shown;
    m_finished = true;
    Q_EMIT finished();
}

// --- HttpClient ---

HttpClient::HttpClient(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    globalInit();
    m_multi = curl_multi_init();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { socketAction(CURL_SOCKET_TIMEOUT, 0); });
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlGlue::socket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlGlue::timer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_PIPELINING, long(CURLPIPE_MULTIPLEX));
}

HttpClient::~HttpClient()
{
    // Whoever waits on a transfer learns that it ended.
    const auto running = m_running.values();
    for (HttpTransfer *t : running) {
        t->detach();
        t->m_client = nullptr;
        t->m_error = ErrCancelled;
        t->m_errorText = QStringLiteral("Transfert annulé");
        t->m_errorShown = msg(Msg::TransferCancelled);
        t->m_finished = true;
        Q_EMIT t->finished();
    }
    for (const Watch &w : std::as_const(m_sockets)) {
        delete w.read;
        delete w.write;
    }
    curl_multi_cleanup(m_multi);
}

HttpTransfer *HttpClient::get(const QString &url, const TransferOptions &options, HttpTransfer::Sink sink)
{
    auto *t = new HttpTransfer(this, url, options, std::move(sink));
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        t->stop(ErrStartFailed, QStringLiteral("Adresse invalide : ") + url, msg(Msg::BadAddress).arg(url));
        return t;
    }

    CURL *easy = curl_easy_init();
    t->m_easy = easy;
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, t);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, t->m_curlError);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlGlue::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlGlue::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, t);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytesPerSecond);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, long(qMax(1, options.lowSpeedSeconds)));
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (scheme == QLatin1String("https"))
        curl_easy_setopt(easy, CURLOPT_PIPEWAIT, 1L);  // share an HTTP/2 connection rather than open more
    if (options.direct)
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "*");
    // As OpenSSL's own tools do: SSL_CERT_FILE names the bundle to trust instead.
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    if (!caFile.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.constData());
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    }

    t->m_lastByte.start();
    t->m_idle->start(qMax(1, options.timeoutMs));
    m_running.insert(easy, t);
    if (m_inAction) {
        // Asked from inside libcurl's processing (a progress handler): libcurl takes the
        // handle once it has returned.
        QMetaObject::invokeMethod(this, [this, t = QPointer<HttpTransfer>(t), easy] {
            if (t && t->m_easy == easy && !t->m_finished)
                curl_multi_add_handle(m_multi, easy);
        }, Qt::QueuedConnection);
    } else {
        curl_multi_add_handle(m_multi, easy);
    }
    return t;
}

void HttpClient::watch(int fd, int what)
{
    if (what == CURL_POLL_REMOVE) {
        const Watch w = m_sockets.take(fd);
        for (QSocketNotifier *n : {w.read, w.write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();  // it may be the notifier whose signal is running now
            }
        }
        return;
    }
    Watch &w = m_sockets[fd];
    const auto ensure = [this, fd](QSocketNotifier *&n, QSocketNotifier::Type type, int event) {
        if (!n) {
            n = new QSocketNotifier(fd, type, this);
            connect(n, &QSocketNotifier::activated, this, [this, fd, event] { socketAction(fd, event); });
        }
    };
    const bool in = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool out = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (in)
        ensure(w.read, QSocketNotifier::Read, CURL_CSELECT_IN);
    if (out)
        ensure(w.write, QSocketNotifier::Write, CURL_CSELECT_OUT);
    if (w.read)
        w.read->setEnabled(in);
    if (w.write)
        w.write->setEnabled(out);
}

void HttpClient::socketAction(int fd, int events)
{
    int running = 0;
    ++m_inAction;
    curl_multi_socket_action(m_multi, curl_socket_t(fd), events, &running);
    --m_inAction;
    readDone();
}

void HttpClient::readDone()
{
    // Finish after libcurl has returned: a handler may start or cancel transfers.
    QList<QPair<QPointer<HttpTransfer>, int>> done;
    int left = 0;
    while (CURLMsg *m = curl_multi_info_read(m_multi, &left)) {
        if (m->msg != CURLMSG_DONE)
            continue;
        if (HttpTransfer *t = m_running.value(m->easy_handle))
            done.append({t, int(m->data.result)});
    }
    for (const auto &[t, code] : done) {
        if (t && !t->m_finished)
            t->complete(code);
    }
}
