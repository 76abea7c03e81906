// Host forms from the command line (and the saved hosts): words separated by NUL bytes,
// read as the program reads its arguments, chosen, then turned into server addresses.
#include "fuzzinput.h"
#include "retrieval/catalogue.h"
#include "shell/commandline.h"
#include "viewer/hostchoice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString all = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList args = all.split(QChar(0));
    const CommandLine line = parseCommandLine(args);
    const QStringList hosts = chooseMapHosts(line.hosts, args.mid(0, 3));
    if (!hosts.isEmpty() && hosts.size() != 3)
        qFatal("chooseMapHosts gave %d hosts", int(hosts.size()));
    for (const QString &host : hosts)
        hostOrigin(host);
    if (!hosts.isEmpty()) {
        Servers servers;
        servers.hosts = hosts;
        for (int i = 1; i <= 3; ++i)
            servers.mapServerBase(i);
        for (int i = 1; i <= 2; ++i)
            servers.archiveServerBase(i);
    }
    return 0;
}
