#pragma once
// The language of the interface. French is built in, with langage.txt in the data folder
// over it; any other language is a file of the language folder, <data folder>/lang/NAME.txt,
// read over the built-in French texts (a line it lacks stays French). A language file names
// itself in message 151 and its locale in message 152, which dates and numbers follow.
#include <QList>
#include <QLocale>
#include <QString>

namespace Language {

// The setting that keeps the user's choice.
inline constexpr auto SettingKey = "language";

// The name that stands for French on the command line and in the settings.
QString french();
bool isFrench(const QString &name);
QString folder(const QString &dataDir);

// The command line's choice wins over the saved one; neither means French.
QString choose(const QString &commandLine, const QString &saved);

struct Entry {
    QString name;   // what --language and the setting take
    QString title;  // the language's own name
};
// French first, then each language file of the folder that reads whole, by title.
QList<Entry> available(const QString &dataDir);

struct Outcome {
    QString name;     // the language in force
    QString warning;  // why the one asked for is not (French is then in force); empty when it is
};
// Fills the message table and makes the language's locale the default one.
Outcome apply(const QString &dataDir, const QString &name);

// The locale a code names ("en_GB"); the system's own when it speaks that language, so
// its regional ways stay. An unknown code means French.
QLocale localeFor(const QString &code, const QLocale &system);

// The guide of a language: lang/NAME-help.txt, lisezmoi.txt for French and for a language
// without a guide of its own.
QString helpFile(const QString &dataDir, const QString &name);

} // namespace Language
