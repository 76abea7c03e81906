#include "logreader.h"

#include <QFile>
#include <QRegularExpression>

QStringList readLogMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}( \\d\\d:\\d\\d:\\d\\d)?"));
    QStringList messages = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    messages.removeLast();  // the text ends with CR LF: the last piece is empty
    return messages.replaceInStrings(stamp, QString());
}
