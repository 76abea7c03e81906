#include "shell/offscreen.h"

#include <QByteArray>
#include <QtGlobal>

void runOffscreenUnlessPlatformSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
