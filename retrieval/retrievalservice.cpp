#include "retrieval/retrievalservice.h"

#include "shell/messages.h"
#include "shell/textutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <algorithm>

namespace {

void letEventsRun()
{
    QCoreApplication::processEvents();
}

// Error number of a map that cannot be written, as the classic file layer numbers it.
constexpr int FileErrorNumber = 75;

// Puts a finished temporary file under its final name in one step (rename replaces
// atomically). Returns the reason of a failure, empty on success.
QString replaceFile(QTemporaryFile &temp, const QString &file)
{
    if (!temp.flush())
        return temp.errorString();
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(file).constData()) != 0)
        return qt_error_string(errno);
    temp.setAutoRemove(false);
    return {};
}

// Kinds in the order the maps of one step are fetched.
constexpr int FetchOrder[] = {6, 1, 2, 3, 4, 5, 7};

} // namespace

RetrievalService::RetrievalService(const QString &cacheDir, const QStringList &hosts, QObject *parent)
    : QObject(parent), m_cacheDir(cacheDir), m_log(joinPath(cacheDir, QStringLiteral("log.txt")))
{
    m_servers.hosts = hosts;
    m_inet.setMaxBodySize(MaxMapBytes);
}

bool RetrievalService::Download(const QString &url, const QString &file)
{
    m_log.AddLog(QStringLiteral("Télécharge : ") + url + QStringLiteral(" to ") + file);
    if (Downloading)
        return true;
    Downloading = true;

    m_inet.waitIdle();
    m_inet.clearError();
    m_log.AddLog(QStringLiteral("Open URL : ") + url + QStringLiteral(" to ") + file);
    if (!m_inet.Execute(url)) {
        Downloading = false;
        return false;
    }
    m_inet.waitForResponse();
    const double announced = parseLenient(m_inet.GetHeader(QStringLiteral("Content-Length")));

    // The body goes to a temporary file beside the map that replaces it only once complete.
    // No forced flush to disk: a map lost to a power cut is simply fetched again, and the
    // flush would cost more than the transfer itself.
    QTemporaryFile out(file + QStringLiteral(".XXXXXX"));
    bool writeOk = m_inet.errorNumber() != 0 || out.open();  // an error page needs no file
    Q_EMIT progressChanged(true, ProgressStartWidth / ProgressFrameWidth);

    qint64 received = 0;
    for (;;) {
        letEventsRun();
        const QByteArray chunk = m_inet.GetChunk(8192);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size()) {
            writeOk = false;
            m_inet.Cancel();  // nothing more can be kept: stop the transfer
            break;
        }
        received += chunk.size();
        Q_EMIT progressChanged(true, std::min(1.0, double(received) / (announced + 50)));
    }
    m_log.AddLog(QStringLiteral("Après Open URL: ") + url + QStringLiteral(" to ") + file);

    int errorNumber = m_inet.errorNumber();
    QString errorText = m_inet.errorDescription();
    // The client itself fails a body shorter than its Content-Length.
    if (!writeOk) {
        errorNumber = FileErrorNumber;
        errorText = out.errorString();
    } else if (!errorNumber) {
        errorText = replaceFile(out, file);
        if (!errorText.isEmpty())
            errorNumber = FileErrorNumber;
    }
    if (errorNumber)  // the previous map, if any, stays as it was
        m_log.AddLog(QStringLiteral("ERREUR : ") + errorText + QStringLiteral(" / ") + QString::number(errorNumber));
    m_log.AddLog(QStringLiteral("Ecrit : ") + file);
    Q_EMIT progressChanged(false, 0);

    m_inet.waitIdle();
    Downloading = false;
    m_log.AddLog(QStringLiteral("Fin de téléchargement de ") + url);
    return true;
}

void RetrievalService::GetNewModeles(int heure, int what)
{
    m_log.AddLog(QStringLiteral("GetNewModeles : ") + QString::number(heure) + QStringLiteral(" carte : ")
                 + QString::number(what));
    for (int number : FetchOrder) {
        if (what != 0 && what != number)
            continue;
        const MapKind &kind = *kindByNumber(number);
        Q_EMIT statusText(msg(kind.message) + QStringLiteral("'+") + QString::number(6ll * heure) + QStringLiteral("h'"));
        Download(m_servers.NormalServer + forecastMapFile(kind, heure), cachePath(forecastCacheName(kind, heure)));
    }
    m_log.AddLog(QStringLiteral("Fin GetNewModels"));
    Q_EMIT statusText(msg(54));
}

void RetrievalService::ChercheModele()
{
    letEventsRun();
    Q_EMIT statusText(msg(63));
    letEventsRun();

    Downloading = true;
    m_inet.clearError();
    m_inet.Cancel();
    m_inet.setProtocolHttp();

    const MapKind &probeKind = *kindByNumber(1);
    QByteArray probe;
    for (int attempt = 0;;) {
        m_inet.clearError();
        probe = m_inet.OpenURL(m_servers.NormalServer + forecastMapFile(probeKind, 0));
        m_inet.waitIdle();
        if (m_inet.errorNumber() == HttpClient::ErrNotAMap) {
            // The server answered, but not with a map: keep the cache as it is.
            Q_EMIT messageBox(msg(78), false);
            Q_EMIT statusText(msg(78));
            m_inet.clearError();
            Downloading = false;
            return;
        }
        // An empty answer is no probe map: it counts as a failed attempt, not as a new run
        // that would empty the cache.
        if (!probeFailed() && !probe.isEmpty())
            break;
        m_servers.SwitchNormalServer();
        if (++attempt == 5) {
            Q_EMIT messageBox(msg(64), false);
            Q_EMIT statusText(msg(65));
            Downloading = false;
            return;
        }
    }
    m_inet.clearError();
    Downloading = false;

    const QFileInfo cached(cachePath(forecastCacheName(probeKind, 0)));
    if (!cached.exists() || cached.size() != probe.size()) {
        deletePngFiles();
        Q_EMIT statusText(msg(66));
        letEventsRun();
        GetNewModeles(0, 0);
    }
    letEventsRun();
    Q_EMIT statusText(msg(67));
}

bool RetrievalService::probeFailed() const
{
    return m_inet.errorNumber() != 0;
}

void RetrievalService::deletePngFiles()
{
    QDir dir(m_cacheDir);
    const QStringList names = dir.entryList({QStringLiteral("*.png")}, QDir::Files | QDir::CaseSensitive);
    for (const QString &name : names)
        dir.remove(name);
}

void RetrievalService::removeStrayTemporaryFiles()
{
    // A save that never committed leaves "<map>.XXXXXX" beside the map.
    static const QRegularExpression stray(QStringLiteral("^.+\\.(png|gif)\\.[A-Za-z0-9]{6}$"));
    QDir dir(m_cacheDir);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (stray.match(name).hasMatch())
            dir.remove(name);
    }
}

void RetrievalService::setLowBandwidth(bool on)
{
    m_inet.Cancel();
    m_inet.setRequestTimeout(on ? 60 : 8);
}
