#include "retrieval/httperrors.h"
#include "retrieval/httpclient.h"

#include <curl/curl.h>

int errorOf(int curlCode)
{
    switch (CURLcode(curlCode)) {
    case CURLE_OK:
        return HttpClient::NoError;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return HttpClient::ErrStartFailed;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpClient::ErrHostNotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return HttpClient::ErrConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpClient::ErrTimeout;
    case CURLE_FILESIZE_EXCEEDED:
        return HttpClient::ErrTooLarge;
    default:
        return HttpClient::ErrTransfer;
    }
}

QString statusText(const QByteArray &statusLine, int status)
{
    const qsizetype space = statusLine.indexOf(' ');
    const QByteArray rest = space < 0 ? QByteArray::number(status) : statusLine.mid(space + 1).trimmed();
    return QStringLiteral("HTTP ") + QString::fromLatin1(rest);
}
