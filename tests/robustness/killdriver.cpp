// "Télécharger tout" as the program runs it, in a process of its own that tests can kill:
// killdriver HOST:PORT CACHE_FOLDER LAST_STEP. The start clears what a killed run left, as
// the program's start does; the status lines go to stdout. Exit 0 when every map arrived.
#include "cacheaudit.h"

#include "retrieval/retrievalservice.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int lastStep = args.value(3).toInt(&ok);
    if (args.size() != 4 || !ok) {
        std::fprintf(stderr, "Usage: killdriver HOST:PORT CACHE_FOLDER LAST_STEP\n");
        return 2;
    }
    const std::unique_ptr<RetrievalService> service = serviceOn(args[1], args[2]);
    service->removeStrayTemporaryFiles();
    QObject::connect(service.get(), &RetrievalService::statusText, [](const QString &text) {
        std::printf("%s\n", qPrintable(text));
        std::fflush(stdout);
    });
    MapBatch *pass = service->downloadAll(lastStep);
    int failures = 0;
    QObject::connect(pass, &MapBatch::finished, &app, [&] {
        failures = pass->failures();
        app.quit();
    });
    app.exec();
    return failures ? 1 : 0;
}
