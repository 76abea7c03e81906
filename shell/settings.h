#pragma once
// Saved settings: QSettings("Cartavent", "Cartavent"), group "Cartavent", text values.
#include <QString>
#include <QStringList>

namespace SavedSettings {
bool contains(const QString &key);
// The stored text read leniently; defaultValue when the key is missing.
double readNumber(const QString &key, double defaultValue);
void writeText(const QString &key, const QString &value);
// The stored text unchanged; defaultValue when the key is missing.
QString readText(const QString &key, const QString &defaultValue = {});
// Hosts of section "Servers", keys host1..host3 (empty entries for missing keys).
QStringList hosts();
}
