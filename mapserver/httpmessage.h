#pragma once
// The little of HTTP/1.1 the demonstration server speaks: reading a request head and
// writing response heads and error pages.
#include <QByteArray>

struct HttpRequestHead {
    QByteArray method;   // GET, HEAD ...
    QByteArray target;   // the path as sent, query included
    bool keepAlive = true;
};

constexpr int MaxRequestHeadBytes = 16 * 1024;

// Parses the text before the blank line. False for anything that is not a request line
// "METHOD target HTTP/1.x" followed by header lines, for control bytes anywhere, and for
// a target with "%", "\\", "." or ".." in its path.
bool parseRequestHead(const QByteArray &head, HttpRequestHead &out);

QByteArray reasonPhrase(int status);
// contentLength < 0: no Content-Length header (the body ends when the connection closes).
QByteArray responseHead(int status, const QByteArray &contentType, qint64 contentLength, bool keepAlive);
QByteArray errorPage(int status);
