// Command11 "Copie URL": the address of the selected map, cached or not.
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"

#include "retrieval/retrievalservice.h"

#include <QClipboard>
#include <QGuiApplication>

void Form1::Command11_Click()
{
    const QString address = selectionAddress(readSelection(*this), Service->servers());
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(address);
    // Some desktops refuse the clipboard; the log keeps the address for the user.
    if (clipboard->text() != address)
        Service->log().AddLog(QStringLiteral("Copie impossible : ") + address);
}
