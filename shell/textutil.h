#pragma once
// Small text and number helpers shared by every subsystem.
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The leading decimal number of a text, "." as decimal point, blanks ignored;
// 0 when the text does not begin with a number ("40abc" -> 40, "abc" -> 0).
double parseLenient(QStringView text);

// Rounds to the nearest whole number, halves to the even number (2.5 -> 2, 3.5 -> 4).
qint64 roundHalfEven(double value);

// Text files are UTF-8 when valid, else Windows-1252 (files saved by older tools keep working).
QString decodeTextFile(const QByteArray &bytes);
// A whole text file decoded that way; nothing when it cannot be opened or read to its end.
std::optional<QString> readTextFile(const QString &path);
