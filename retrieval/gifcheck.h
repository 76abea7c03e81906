#pragma once
// A body whose end the connection's close marks cannot tell a cut from its end; a GIF can,
// by walking its blocks to the trailer.
#include <QByteArray>

// True when the bytes begin as a GIF whose blocks run out before its trailer. Bytes that
// are no GIF at all are left for whoever reads them: false.
bool isCutGif(const QByteArray &bytes);
