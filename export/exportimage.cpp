#include "export/exportimage.h"

#include "core/displaytext.h"
#include "shell/messages.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int BandMargin = 6;
constexpr int LineGap = 2;
constexpr int TitlePixels = 14;
constexpr int TextPixels = 11;
const QColor TitleColour(255, 255, 255);
const QColor TextColour(200, 200, 200);

QFont captionFont(bool title)
{
    QFont font;
    font.setPixelSize(title ? TitlePixels : TextPixels);
    font.setBold(title);
    return font;
}

// Each line's rectangle in the band, wrapped to the width.
QList<QRect> layOutLines(const QStringList &caption, int width)
{
    QList<QRect> rects;
    int y = BandMargin;
    for (int i = 0; i < caption.size(); ++i) {
        const QFontMetrics metrics(captionFont(i == 0));
        const QRect r = metrics.boundingRect(QRect(BandMargin, y, width - 2 * BandMargin, 1 << 20),
                                             Qt::TextWordWrap, caption[i]);
        rects << QRect(BandMargin, y, width - 2 * BandMargin, r.height());
        y += r.height() + LineGap;
    }
    return rects;
}

QString runStamp(const QDateTime &now)
{
    return runSlot(now).toUTC().toString(QStringLiteral("yyyyMMddHH"));
}

} // namespace

QImage composeExportImage(const QImage &mapArea, const QImage &legend, const QStringList &caption)
{
    const int width = mapArea.width() + legend.width();
    const QList<QRect> lines = layOutLines(caption, width);
    const int top = qMax(mapArea.height(), legend.height());
    const int band = lines.isEmpty() ? 0 : lines.last().bottom() + 1 + BandMargin;
    QImage out(width, top + band, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter painter(&out);
    painter.drawImage(0, 0, mapArea);
    painter.drawImage(mapArea.width(), 0, legend);
    for (int i = 0; i < lines.size(); ++i) {
        painter.setFont(captionFont(i == 0));
        painter.setPen(i == 0 ? TitleColour : TextColour);
        painter.drawText(lines[i].translated(0, top), Qt::TextWordWrap, caption[i]);
    }
    return out;
}

QStringList forecastCaption(const QString &kindName, int step, const QDateTime &now, const QString &credit)
{
    return {kindName + QStringLiteral(" \u2014 +") + stepHoursText(step),
            msg(Msg::CaptionValid).arg(slotText(validSlot(now, step))),
            msg(Msg::CaptionRun).arg(slotText(runSlot(now))), credit};
}

QStringList archiveExportCaption(const QString &levelName, const QDate &day, const QString &credit)
{
    return {levelName, msg(Msg::CaptionArchive).arg(longDate(day)), credit};
}

QString forecastImageName(const QString &kindKey, const QDateTime &now, int step)
{
    return kindKey + u'-' + runStamp(now) + QStringLiteral("-+") + stepHoursText(step) + QStringLiteral(".png");
}

QString archiveImageName(ArchiveLevel level, const QDate &day)
{
    const QString key = level == ArchiveLevel::P500 ? QStringLiteral("p500") : QStringLiteral("p850");
    return key + u'-' + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".png");
}

QString animationName(const QString &kindKey, const QDateTime &now)
{
    return kindKey + u'-' + runStamp(now) + QStringLiteral(".gif");
}
