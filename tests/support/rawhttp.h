#pragma once
// Raw HTTP/1.1 over a loopback socket, for tests that write exactly the bytes they mean.
#include <QByteArray>
#include <QMap>

struct RawResponse {
    int status = 0;
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
};

// Writes raw bytes, then collects all the server sends until it closes or the time runs out.
QByteArray rawExchange(quint16 port, const QByteArray &request, bool *closed, int timeoutMs = 10000);

// Takes the first response off the stream; without Content-Length the body runs to the end.
RawResponse takeResponse(QByteArray &stream);

// Every response of a stream, in order.
QList<RawResponse> takeResponses(QByteArray stream);
