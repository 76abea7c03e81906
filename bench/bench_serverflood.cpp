// Peak memory growth of the demonstration server while one client floods 64 MiB behind
// an answer that never comes, and whether the next client is still served.
#include "bench/benchsupport.h"
#include "mapserver/demoserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qint64 FloodBytes = 64ll * 1024 * 1024;
constexpr double TargetMiB = 16;
const char kPath[] = "/wz/pics/Rtavn065.gif";

// A plain blocking socket: the flood must not sit in a client-side buffer of this process.
int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray get(bool close)
{
    return QByteArray("GET ") + kPath + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + (close ? "Connection: close\r\n" : "") + "\r\n";
}

// Bytes the flood got through before the server cut it.
qint64 flood(quint16 port)
{
    const int fd = connectTo(port);
    if (fd < 0 || !sendAll(fd, get(false)))
        return -1;
    const QByteArray chunk(64 * 1024, 'x');
    qint64 sent = 0;
    while (sent < FloodBytes && sendAll(fd, chunk))
        sent += chunk.size();
    ::close(fd);
    return sent;
}

// The status of a plain request on a fresh connection.
int nextClientStatus(quint16 port)
{
    const int fd = connectTo(port);
    if (fd < 0 || !sendAll(fd, get(true)))
        return -1;
    QByteArray answer;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, n);
    ::close(fd);
    return answer.left(answer.indexOf("\r\n")).split(' ').value(1).toInt();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    DemoMapServer server;
    if (!server.start()) {
        bench::note(QStringLiteral("the demonstration server could not listen"));
        return 1;
    }
    server.mapBytes(QString::fromLatin1(kPath));  // rendered before measuring
    server.setFault(QString::fromLatin1(kPath), Fault{.hang = true});

    const qint64 rssBefore = bench::statusKiB("VmRSS");
    const bool resetWorked = bench::resetPeakRss();
    const qint64 peakBefore = bench::statusKiB("VmHWM");
    QElapsedTimer clock;
    clock.start();
    const qint64 sent = flood(server.port());
    const qint64 elapsedMs = clock.elapsed();
    const double growthMiB = (bench::statusKiB("VmHWM") - (resetWorked ? rssBefore : peakBefore)) / 1024.0;
    server.clearFaults();
    const int status = nextClientStatus(server.port());

    bench::note(QStringLiteral("the flood got %1 KiB through before the cut, in %2 ms; peak RSS reset: %3")
                    .arg(sent / 1024).arg(elapsedMs).arg(resetWorked ? "yes" : "no (growth measured from the earlier peak)"));
    bench::note(QStringLiteral("next client answered %1").arg(status));
    bench::report(QStringLiteral("server growth under a 64 MiB flood"), growthMiB, QStringLiteral("MiB"),
                  QStringLiteral("under %1 MiB").arg(TargetMiB), growthMiB < TargetMiB && sent < FloodBytes && status == 200);
    return 0;
}
