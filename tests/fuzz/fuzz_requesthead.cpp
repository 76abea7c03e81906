// The demonstration server's request head and the map path it names.
#include "fuzzinput.h"
#include "mapserver/httpmessage.h"
#include "mapserver/mappath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray head = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    HttpRequestHead request;
    if (parseRequestHead(head, request)) {
        // The query is never read: only the path must be free of dot segments.
        const QList<QByteArray> segments = request.target.split('?').first().split('/');
        if (!request.target.startsWith('/') || segments.contains("..") || request.target.contains('\0'))
            qFatal("an unsafe target accepted");
        parseMapPath(QString::fromLatin1(request.target));
    }
    parseMapPath(QString::fromLatin1(head));
    return 0;
}
