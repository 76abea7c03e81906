#include "mapserver/httpmessage.h"

#include <QList>

bool parseRequestHead(const QByteArray &head, HttpRequestHead &out)
{
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3 || requestLine[0].isEmpty() || !requestLine[1].startsWith('/'))
        return false;
    const QByteArray version = requestLine[2];
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return false;
    out.method = requestLine[0];
    out.target = requestLine[1];
    out.keepAlive = version == "HTTP/1.1";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        if (line.left(colon).trimmed().toLower() == "connection") {
            const QByteArray value = line.mid(colon + 1).trimmed().toLower();
            if (value.contains("close"))
                out.keepAlive = false;
            else if (value.contains("keep-alive"))
                out.keepAlive = true;
        }
    }
    return true;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

QByteArray responseHead(int status, const QByteArray &contentType, qint64 contentLength, bool keepAlive)
{
    QByteArray h = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    h += "Server: cartavent-mapserver\r\n";
    h += "Content-Type: " + contentType + "\r\n";
    if (contentLength >= 0)
        h += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    if (status == 405)
        h += "Allow: GET, HEAD\r\n";
    h += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    h += "\r\n";
    return h;
}

QByteArray errorPage(int status)
{
    const QByteArray title = QByteArray::number(status) + ' ' + reasonPhrase(status);
    return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head><body><h1>" + title
        + "</h1><p>cartavent-mapserver</p></body></html>\n";
}
