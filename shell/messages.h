#pragma once
// The process-wide message table and the language file that fills it.
#include <QMap>
#include <QString>

class QWidget;

constexpr int MessageCount = 1025;

// Message n, or an empty text for a number outside 0..1024 or never loaded.
QString msg(int n);

namespace Messages {
void set(int n, const QString &text);  // out of range: ignored
void clear();
}

// What a language file holds, parsed without touching the table.
struct ParsedLanguage {
    QMap<int, QString> messages;  // a later line with the same number wins
    bool complete = true;         // false: stopped at a number outside 0..1024
    int stopLine = 0;             // 1-based line of that number, 0 when complete
};
ParsedLanguage parseLanguage(const QString &text);

// Stores the parsed messages in the table; returns ParsedLanguage::complete.
bool loadLanguageText(const QString &text);

// Fills the table from <folder>/<language>.txt. Returns false when the file could not be
// read or loading stopped at a key outside 0..1024 (lines before it stay loaded).
bool LoadLanguage(const QString &folder, const QString &language);

// Replaces the captions of the window's buttons, labels, frames, options and check boxes
// by the message whose number their "tag" property holds.
void TranslateForm(QWidget *window);
