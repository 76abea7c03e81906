#include "shell/messages.h"
#include "shell/textutil.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>
#include <QWidget>

#include <array>

namespace {

std::array<QString, MessageCount> &table()
{
    static std::array<QString, MessageCount> messages;
    return messages;
}

bool inRange(qint64 n)
{
    return n >= 0 && n < MessageCount;
}

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

} // namespace

QString msg(int n)
{
    return inRange(n) ? table()[n] : QString();
}

namespace Messages {

void set(int n, const QString &text)
{
    if (inRange(n))
        table()[n] = text;
}

void clear()
{
    for (QString &text : table())
        text.clear();
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
        if (!inRange(key)) {
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
    for (auto it = parsed.messages.cbegin(); it != parsed.messages.cend(); ++it)
        Messages::set(it.key(), it.value());
    return parsed.complete;
}

bool LoadLanguage(const QString &folder, const QString &language)
{
    QFile file(folder + u'/' + language + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return loadLanguageText(decodeTextFile(bytes));
}

namespace {

// Buttons, labels, frames, options and check boxes take a caption; other widgets are left alone.
void setCaption(QWidget *widget, const QString &text)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget)) {
        box->setTitle(text);
        return;
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setTextFormat(Qt::PlainText);  // a message that looks like markup stays text
        label->setText(text);
        return;
    }
    if (qobject_cast<QPushButton *>(widget) || qobject_cast<QRadioButton *>(widget)
        || qobject_cast<QCheckBox *>(widget)) {
        static_cast<QAbstractButton *>(widget)->setText(text);
    }
}

} // namespace

void TranslateForm(QWidget *window)
{
    if (!window)
        return;
    // findChildren walks each container's children in the order they were added.
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const QVariant tag = control->property("tag");
        if (!tag.isValid())
            continue;
        const double number = parseLenient(tag.toString());
        if (number == 0.0)
            continue;
        const qint64 n = roundHalfEven(number);
        if (!inRange(n))
            continue;
        setCaption(control, msg(int(n)));
    }
}
