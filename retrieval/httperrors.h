#pragma once
// How a transfer's end reads: libcurl's codes as the client's error numbers, the status line
// of an answer that is no map.
#include <QByteArray>
#include <QString>

// HttpClient::Error for a CURLcode.
int errorOf(int curlCode);
// "HTTP/1.1 404 Not Found" -> "HTTP 404 Not Found"; HTTP/2 has no reason phrase.
QString statusText(const QByteArray &statusLine, int status);
