#include "mapserver/faultlist.h"

namespace {

bool setOption(const QString &option, Fault &f)
{
    const QString name = option.section(QLatin1Char('='), 0, 0).trimmed();
    const bool hasValue = option.contains(QLatin1Char('='));
    bool ok = true;
    const qint64 value = hasValue ? option.section(QLatin1Char('='), 1).trimmed().toLongLong(&ok) : 0;
    if (!ok || value < 0)
        return false;
    if (name == QLatin1String("refuse") && !hasValue)
        f.refuse = true;
    else if (name == QLatin1String("hang") && !hasValue)
        f.hang = true;
    else if (name == QLatin1String("nolength") && !hasValue)
        f.noContentLength = true;
    else if (name == QLatin1String("delay") && hasValue && value <= 3600000)
        f.delayMs = int(value);
    else if (name == QLatin1String("status") && (value == 404 || value == 500))
        f.status = int(value);
    else if (name == QLatin1String("cut") && hasValue)
        f.cutAfter = value;
    else if (name == QLatin1String("trickle") && hasValue && value > 0 && value <= 100000000)
        f.trickleBytesPerSecond = int(value);
    else
        return false;
    return true;
}

} // namespace

bool parseFaultList(const QString &text, QList<QPair<QString, Fault>> &faults, QString *error)
{
    QList<QPair<QString, Fault>> parsed;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.lastIndexOf(QLatin1Char(':'));
        const QString pattern = part.left(colon).trimmed();
        Fault fault;
        bool ok = colon > 0 && !pattern.isEmpty();
        const QStringList options = part.mid(colon + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        ok = ok && !options.isEmpty();
        for (const QString &option : options)
            ok = ok && setOption(option, fault);
        if (!ok) {
            if (error)
                *error = QStringLiteral("fault not understood: \"%1\"").arg(part);
            return false;
        }
        parsed.append({pattern, fault});
    }
    faults += parsed;
    return true;
}
