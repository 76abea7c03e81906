#include "mapserver/httpmessage.h"

#include <QList>

#include <algorithm>

namespace {

constexpr qsizetype MaxMethodLength = 16;

bool isTokenChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
        || QByteArrayView("!#$&'*+-.^_`|~").contains(c);
}

bool isMethod(const QByteArray &method)
{
    return !method.isEmpty() && method.size() <= MaxMethodLength
        && std::all_of(method.begin(), method.end(), isTokenChar);
}

// A path the server could map: no escapes or dot segments that a looser reader might
// resolve elsewhere, no control or non-ASCII bytes. The query is never read.
bool isPlainTarget(const QByteArray &target)
{
    if (!target.startsWith('/'))
        return false;
    for (const char c : target) {
        if (uchar(c) <= 0x20 || uchar(c) >= 0x7f)
            return false;
    }
    const qsizetype query = target.indexOf('?');
    const QByteArray path = query < 0 ? target : target.left(query);
    if (path.contains('%') || path.contains('\\'))
        return false;
    const QList<QByteArray> segments = path.split('/');
    return std::none_of(segments.begin(), segments.end(), [](const QByteArray &s) { return s == ".." || s == "."; });
}

bool hasControlBytes(const QByteArray &line)
{
    return std::any_of(line.begin(), line.end(), [](char c) { return (uchar(c) < 0x20 && c != '\t' && c != '\r') || c == 0x7f; });
}

} // namespace

bool parseRequestHead(const QByteArray &head, HttpRequestHead &out)
{
    const QList<QByteArray> lines = head.split('\n');
    if (std::any_of(lines.begin(), lines.end(), hasControlBytes))
        return false;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() != 3 || !isMethod(requestLine[0]) || !isPlainTarget(requestLine[1]))
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
    case 408: return "Request Timeout";
    case 429: return "Too Many Requests";
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
