// cartavent-mapserver: the demonstration map server on its own.
#include "mapserver/demoserver.h"
#include "mapserver/faultlist.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: cartavent-mapserver [--port N] [--faults LIST] [--prerender MAXSTEP]\n"
    "Serves demonstration GFS maps on 127.0.0.1 (port 0 or none: a free port).\n"
    "LIST: PATTERN:OPTION,OPTION;PATTERN:... with options refuse, hang, nolength,\n"
    "      delay=MS, status=404|500, cut=BYTES, trickle=BYTES_PER_SECOND; PATTERN is a wildcard\n"
    "      on the path or file name.\n"
    "      Example: --faults '*065.gif:delay=2000;Rrea*:status=404'\n";

int fail(const QString &message)
{
    std::fprintf(stderr, "cartavent-mapserver: %s\n%s", qPrintable(message), kUsage);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    quint16 port = 0;
    int prerenderSteps = -1;
    QList<QPair<QString, Fault>> faults;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == QLatin1String("--port") && hasValue) {
            bool ok = false;
            const uint value = args[++i].toUInt(&ok);
            if (!ok || value > 65535)
                return fail(QStringLiteral("not a port: \"%1\"").arg(args[i]));
            port = quint16(value);
        } else if (a == QLatin1String("--faults") && hasValue) {
            QString error;
            if (!parseFaultList(args[++i], faults, &error))
                return fail(error);
        } else if (a == QLatin1String("--prerender") && hasValue) {
            bool ok = false;
            prerenderSteps = args[++i].toInt(&ok);
            if (!ok || prerenderSteps < 0)
                return fail(QStringLiteral("not a step: \"%1\"").arg(args[i]));
        } else {
            return fail(QStringLiteral("unknown argument \"%1\"").arg(a));
        }
    }

    DemoMapServer server;
    for (const auto &[pattern, fault] : faults)
        server.setFault(pattern, fault);
    if (!server.start(port))
        return fail(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port));
    if (prerenderSteps >= 0)
        server.prerender(prerenderSteps);
    std::printf("cartavent-mapserver listening on http://%s/ (maps under /wz/pics/, /pics/, /archive/ra/)\n",
                qPrintable(server.hostPort()));
    std::fflush(stdout);
    return app.exec();
}
