// A language file: any bytes, decoded as the program decodes it, then parsed.
#include "fuzzinput.h"
#include "shell/messages.h"
#include "shell/textutil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = decodeTextFile(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    const ParsedLanguage parsed = parseLanguage(text);
    if (!parsed.messages.isEmpty() && (parsed.messages.firstKey() < 0 || parsed.messages.lastKey() >= MessageCount))
        qFatal("a message number outside the table");
    if (parsed.complete != (parsed.stopLine == 0))
        qFatal("stopLine disagrees with complete");
    return 0;
}
