#include "shell/settings.h"
#include "shell/textutil.h"

#include <QSettings>

#include <optional>

namespace {

constexpr auto Application = "Cartavent";
constexpr auto Section = "Cartavent";

// A hand-edited value with a comma comes back from QSettings as a list: rejoin it so the
// lenient parse sees the text the user wrote.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

std::optional<QString> stored(const QString &key)
{
    QSettings settings(Application, Application);
    settings.beginGroup(Section);
    if (!settings.contains(key))
        return std::nullopt;
    return asText(settings.value(key));
}

} // namespace

namespace SavedSettings {

bool contains(const QString &key)
{
    return stored(key).has_value();
}

QString readText(const QString &key, const QString &defaultValue)
{
    return stored(key).value_or(defaultValue);
}

double readNumber(const QString &key, double defaultValue)
{
    const std::optional<QString> text = stored(key);
    return text ? parseLenient(*text) : defaultValue;
}

void writeText(const QString &key, const QString &value)
{
    QSettings settings(Application, Application);
    settings.beginGroup(Section);
    settings.setValue(key, value);
}

QStringList hosts()
{
    QSettings settings(Application, Application);
    settings.beginGroup(QStringLiteral("Servers"));
    QStringList result;
    for (int i = 1; i <= 3; ++i)
        result.append(asText(settings.value(QStringLiteral("host%1").arg(i))).trimmed());
    return result;
}

} // namespace SavedSettings
