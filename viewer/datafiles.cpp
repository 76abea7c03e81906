#include "viewer/datafiles.h"

#include "forecast/pictogram.h"
#include "shell/eventlog.h"
#include "shell/messages.h"
#include "shell/paths.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

QStringList dataFileNames()
{
    QStringList names{QStringLiteral("langage.txt"), QStringLiteral("lisezmoi.txt")};
    for (const qint16 number : pictogramNumbers)
        names << QDir::cleanPath(pictogramFile(QStringLiteral("."), number));
    return names;
}

QStringList missingDataFiles(const QString &folder)
{
    QStringList missing;
    for (const QString &name : dataFileNames()) {
        const QString path = joinPath(folder, name);
        if (!QFileInfo(path).isFile())
            missing << path;
    }
    return missing;
}

void reportMissingDataFiles(const QString &folder, EventLog &log)
{
    for (const QString &path : missingDataFiles(folder)) {
        const QString file = QDir::toNativeSeparators(path);
        // The log is a record and stays French; the user reads the chosen language.
        log.AddLog(builtInMsg(int(Msg::DataFileMissing)).arg(file));
        std::fprintf(stderr, "cartavent : %s\n", msg(Msg::DataFileMissing).arg(file).toLocal8Bit().constData());
    }
}
