#include "retrieval/fetchqueue.h"
#include "shell/messages.h"

#include "retrieval/gifcheck.h"

#include <QFile>
#include <QTemporaryFile>

#include <algorithm>

#include <cerrno>
#include <cstdio>

// --- MapFetch ---

MapFetch::~MapFetch()
{
    delete m_transfer;
    delete m_temp;  // removes an unfinished temporary file
}

qint64 MapFetch::received() const
{
    return m_transfer ? m_transfer->bytesReceived() : 0;
}

qint64 MapFetch::announced() const
{
    return m_transfer ? m_transfer->announcedLength() : -1;
}

// Qt reports a short write (a full disk) with no reason of its own: the system's says why.
static QString writeFailure(const QFileDevice &file, int systemError)
{
    if (file.error() == QFileDevice::NoError && systemError != 0)
        return qt_error_string(systemError);
    return file.errorString();
}

bool MapFetch::write(const char *data, qsizetype size)
{
    if (!m_temp && m_body.size() + size <= MemoryLimit) {
        m_body.append(data, size);
        return true;
    }
    if (!m_temp && !spill())
        return false;
    if (m_temp->write(data, size) != size) {
        m_writeError = writeFailure(*m_temp, errno);
        return false;
    }
    return true;
}

bool MapFetch::spill()
{
    m_temp = new QTemporaryFile(m_file + QStringLiteral(".XXXXXX"));
    if (!m_temp->open() || m_temp->write(m_body) != m_body.size()) {
        m_writeError = writeFailure(*m_temp, errno);
        return false;
    }
    m_body = QByteArray();
    return true;
}

namespace {

bool holds(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.size() == bytes.size() && file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
}

// Without a length, the close of the connection ends the body, and a cut one looks whole.
bool cutShort(const HttpTransfer *transfer, const QByteArray &body, QTemporaryFile *temp)
{
    if (!transfer || transfer->announcedLength() >= 0)
        return false;
    if (!temp)
        return isCutGif(body);
    const qint64 end = temp->pos();
    temp->seek(0);
    const bool cut = isCutGif(temp->readAll());
    temp->seek(end);
    return cut;
}

} // namespace

// Puts a complete body under the map's name in one step (rename replaces atomically).
// No forced flush to disk: a map lost to a power cut is simply fetched again, and the
// flush would cost more than the transfer itself.
QString MapFetch::commit()
{
    if (!m_temp) {
        if (holds(m_file, m_body))
            return {};  // the same map again: nothing to replace
        if (!spill())
            return m_writeError;
    }
    if (!m_temp->flush())
        return writeFailure(*m_temp, errno);
    m_temp->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                           | QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(m_temp->fileName()).constData(), QFile::encodeName(m_file).constData()) != 0)
        return qt_error_string(errno);
    m_temp->setAutoRemove(false);
    return {};
}

void MapFetch::end()
{
    int error = m_transfer ? m_transfer->errorNumber() : HttpClient::ErrCancelled;
    QString text = m_transfer ? m_transfer->errorText() : QStringLiteral("Transfert annulé");
    QString shown = m_transfer ? m_transfer->errorShown() : msg(Msg::TransferCancelled);
    if (error == HttpClient::ErrSink) {
        error = FileError;
        text = shown = m_writeError;
    } else if (!error && cutShort(m_transfer, m_body, m_temp)) {
        error = HttpClient::ErrTransfer;
        text = QStringLiteral("Carte incomplète");
        shown = msg(Msg::MapIncomplete);
    } else if (!error) {
        text = shown = commit();
        if (!text.isEmpty())
            error = FileError;
    }
    delete m_temp;  // whatever did not become the map goes
    m_temp = nullptr;
    m_body = QByteArray();
    m_outcome = FetchOutcome{error, error ? text : QString(), error != HttpClient::ErrStartFailed, error ? shown : QString()};
    m_state = State::Done;
}

// --- FetchHandle ---

FetchHandle::FetchHandle(FetchQueue *queue, MapFetch *fetch) : m_queue(queue), m_fetch(fetch)
{
    ++m_fetch->m_users;
}

FetchHandle::FetchHandle(FetchHandle &&other) noexcept : m_queue(other.m_queue), m_fetch(other.m_fetch)
{
    other.m_fetch = nullptr;
}

FetchHandle &FetchHandle::operator=(FetchHandle &&other) noexcept
{
    if (this != &other) {
        release();
        m_queue = other.m_queue;
        m_fetch = other.m_fetch;
        other.m_fetch = nullptr;
    }
    return *this;
}

void FetchHandle::release()
{
    if (m_fetch && m_queue)
        m_queue->release(m_fetch);
    m_fetch = nullptr;
}

// --- FetchQueue ---

FetchQueue::FetchQueue(QObject *parent) : QObject(parent) {}

FetchQueue::~FetchQueue()
{
    qDeleteAll(m_waiting);
    qDeleteAll(m_running);
}

int FetchQueue::running() const
{
    return int(m_running.size());
}

int FetchQueue::waiting() const
{
    return int(m_waiting.size());
}

FetchHandle FetchQueue::request(const QString &url, const QString &file, bool urgent)
{
    const auto sameFile = [&file](const MapFetch *f) { return f->file() == file; };
    for (MapFetch *f : std::as_const(m_running)) {
        if (sameFile(f) && !f->m_stopping)
            return FetchHandle(this, f);
    }
    const auto firstLater = [this] {
        return std::find_if(m_waiting.begin(), m_waiting.end(), [](const MapFetch *f) { return !f->m_urgent; });
    };
    for (qsizetype i = 0; i < m_waiting.size(); ++i) {
        MapFetch *f = m_waiting.at(i);
        if (!sameFile(f))
            continue;
        if (urgent && !f->m_urgent) {
            m_waiting.removeAt(i);
            f->m_urgent = true;
            m_waiting.insert(firstLater(), f);
        }
        FetchHandle handle(this, f);
        startNext();
        return handle;
    }
    auto *f = new MapFetch(url, file);
    f->m_urgent = urgent;
    if (urgent)
        m_waiting.insert(firstLater(), f);
    else
        m_waiting.append(f);
    FetchHandle handle(this, f);
    startNext();
    return handle;
}

void FetchQueue::startNext()
{
    for (qsizetype i = 0; i < m_waiting.size() && m_running.size() < MaxParallel;) {
        if (fetching(m_waiting.at(i)->file()))
            ++i;  // waits for the cancelled fetch of its file to end
        else
            start(m_waiting.takeAt(i));
    }
}

bool FetchQueue::fetching(const QString &file) const
{
    return std::any_of(m_running.cbegin(), m_running.cend(), [&file](const MapFetch *f) { return f->file() == file; });
}

void FetchQueue::start(MapFetch *fetch)
{
    fetch->m_state = MapFetch::State::Running;
    m_running.append(fetch);
    HttpTransfer *t = m_client.get(fetch->url(), m_options,
                                   [fetch](const char *data, qsizetype size) { return fetch->write(data, size); });
    fetch->m_transfer = t;
    connect(t, &HttpTransfer::progress, fetch, [this, fetch] {
        Q_EMIT fetch->progress();
        Q_EMIT activity();
    });
    connect(t, &HttpTransfer::finished, this, [this, fetch] { onFinished(fetch); });
    Q_EMIT activity();
}

void FetchQueue::onFinished(MapFetch *fetch)
{
    fetch->end();
    m_running.removeOne(fetch);
    startNext();
    Q_EMIT fetch->finished();
    Q_EMIT activity();
    if (fetch->m_users == 0)
        fetch->deleteLater();
}

void FetchQueue::release(MapFetch *fetch)
{
    if (--fetch->m_users > 0)
        return;
    switch (fetch->state()) {
    case MapFetch::State::Waiting:
        m_waiting.removeOne(fetch);
        delete fetch;
        break;
    case MapFetch::State::Running:
        fetch->m_stopping = true;
        fetch->m_transfer->cancel();  // deleted once it reports its end
        break;
    case MapFetch::State::Done:
        fetch->deleteLater();
        break;
    }
}

void FetchQueue::cancelAll()
{
    const QList<MapFetch *> waiting = std::exchange(m_waiting, {});
    for (MapFetch *f : waiting) {
        f->end();  // no transfer: cancelled
        Q_EMIT f->finished();
        if (f->m_users == 0)
            f->deleteLater();
    }
    cancelRunning();
    Q_EMIT activity();
}

void FetchQueue::cancelRunning()
{
    for (MapFetch *f : std::as_const(m_running)) {
        f->m_stopping = true;
        f->m_transfer->cancel();
    }
}
