#pragma once
// Which map-server hosts the window uses: the command line first, then the saved hosts.
#include <QStringList>

// Three host:port entries, or an empty list when neither source names a host (then the
// demonstration server is used). Missing entries borrow the first host given, so a
// partial list never produces an address without a host.
QStringList chooseMapHosts(const QStringList &commandLine, const QStringList &saved);
