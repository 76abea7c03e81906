#include "fuzzinput.h"

#include <QGuiApplication>

void startFuzzApplication()
{
    static int argc = 1;
    static char name[] = "cartavent-fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startFuzzApplication();
    return 0;
}
