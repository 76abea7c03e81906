#include "shell/messages.h"
#include "shell/textutil.h"

#include <QFile>

#include <array>

namespace {

// Only spaces and tabs count as blanks: a no-break space at the end of a value survives,
// which is how a language file keeps a blank before the text that code appends.
QStringView trimBlanks(QStringView line)
{
    qsizetype start = 0;
    qsizetype end = line.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(line[start]))
        ++start;
    while (end > start && blank(line[end - 1]))
        --end;
    return line.mid(start, end - start);
}

// A line ends at CR, CR LF or a lone LF.
QList<QStringView> splitLines(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.append(text.mid(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// The language file compiled in, parsed once.
const ParsedLanguage &builtIn()
{
    static const ParsedLanguage parsed = [] {
        const std::optional<QString> text = readTextFile(QStringLiteral(":/cartavent/langage.txt"));
        return text ? parseLanguage(*text) : ParsedLanguage();
    }();
    return parsed;
}

void store(const QMap<int, QString> &messages, std::array<QString, MessageCount> &into)
{
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        into[it.key()] = it.value();
}

// Filled with the built-in texts on first use, so no text is blank before a file loads.
std::array<QString, MessageCount> &table()
{
    static std::array<QString, MessageCount> messages = [] {
        std::array<QString, MessageCount> texts;
        store(builtIn().messages, texts);
        return texts;
    }();
    return messages;
}

} // namespace

QString msg(int n)
{
    return isMessageNumber(n) ? table()[n] : QString();
}

QString builtInMsg(int n)
{
    return builtIn().messages.value(n);
}

namespace Messages {

void set(int n, const QString &text)
{
    if (isMessageNumber(n))
        table()[n] = text;
}

void clear()
{
    for (QString &text : table())
        text.clear();
}

void loadBuiltIn()
{
    store(builtIn().messages, table());
}

} // namespace Messages

ParsedLanguage parseLanguage(const QString &text)
{
    ParsedLanguage parsed;
    const QList<QStringView> lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = trimBlanks(lines[i]);
        if (line.isEmpty() || line.startsWith(u"//") || line.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const qint64 key = roundHalfEven(parseLenient(line.left(eq)));
        if (!isMessageNumber(key)) {
            parsed.complete = false;
            parsed.stopLine = int(i + 1);
            break;
        }
        parsed.messages.insert(int(key), line.mid(eq + 1).toString());
    }
    return parsed;
}

bool loadLanguageText(const QString &text)
{
    const ParsedLanguage parsed = parseLanguage(text);
    store(parsed.messages, table());
    return parsed.complete;
}

bool LoadLanguage(const QString &folder, const QString &language)
{
    Messages::loadBuiltIn();
    const std::optional<QString> text = readTextFile(folder + u'/' + language + QStringLiteral(".txt"));
    return text && loadLanguageText(*text);
}
