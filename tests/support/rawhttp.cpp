#include "rawhttp.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QTcpSocket>

QByteArray rawExchange(quint16 port, const QByteArray &request, bool *closed, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
    socket.write(request);
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(int(deadline.remainingTime())))
        received += socket.readAll();
    *closed = socket.state() != QAbstractSocket::ConnectedState;
    return received + socket.readAll();
}

RawResponse takeResponse(QByteArray &stream)
{
    RawResponse r;
    const qsizetype headEnd = stream.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        stream.clear();
        return r;
    }
    const QList<QByteArray> lines = stream.left(headEnd).split('\n');
    r.status = lines[0].split(' ').value(1).toInt();
    for (const QByteArray &line : lines.mid(1))
        r.headers.insert(line.left(line.indexOf(':')).toLower(), line.mid(line.indexOf(':') + 1).trimmed());
    r.body = stream.mid(headEnd + 4, r.headers.value("content-length", "-1").toLongLong());
    stream.remove(0, headEnd + 4 + r.body.size());
    return r;
}

QList<RawResponse> takeResponses(QByteArray stream)
{
    QList<RawResponse> all;
    while (!stream.isEmpty())
        all.append(takeResponse(stream));
    return all;
}
