// Fault rules as given on the map server's command line, then matched like a request path.
#include "fuzzinput.h"
#include "mapserver/faultlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QPair<QString, Fault>> faults;
    if (!parseFaultList(text, faults, nullptr))
        return 0;
    FaultTable table;
    for (const auto &[pattern, fault] : faults) {
        if (fault.delayMs < 0 || (fault.status != 0 && fault.status != 404 && fault.status != 500))
            qFatal("a fault outside its range accepted");
        table.set(pattern, fault);
    }
    table.match(QStringLiteral("/wz/pics/Rtavn065.gif"));
    table.match(text);
    return 0;
}
