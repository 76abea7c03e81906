#pragma once
// How much of the demonstration server one client may take. Anything on the machine can
// talk to it, so no client may hold memory, connections or time without bound.
#include <QtGlobal>

struct ServerLimits {
    int maxConnections = 64;                // more at once are answered 503 and closed
    int idleTimeoutMs = 60000;              // waiting this long for a whole request closes (408 if one was begun)
    qint64 maxUnreadBytes = 256 * 1024;     // received but not yet answered: past it the client is cut (429)
    qint64 maxPendingOutput = 1024 * 1024;  // answers the client has not read: no new answer is started past it
    int closeGraceMs = 2000;                // a closing connection whose client reads nothing is then aborted
    qint64 maxDrainBytes = 2 * 1024 * 1024; // read and dropped after a closing answer; past it the connection is reset
};
