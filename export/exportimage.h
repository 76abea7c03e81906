#pragma once
// The exported picture of the map: the map area as drawn, the legend strip on its right and
// a band of caption lines under both. Suggested file names of the exports.
#include "core/kinds.h"

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QStringList>

// The map exactly as given at the top-left corner, the legend top-aligned to its right,
// black where neither reaches, then the band: the first line in bold, long lines wrapped.
QImage composeExportImage(const QImage &mapArea, const QImage &legend, const QStringList &caption);

// The caption of a current-run map shown at `now`: the kind and step, the valid time, the
// run, the credit line.
QStringList forecastCaption(const QString &kindName, int step, const QDateTime &now, const QString &credit);
// The caption of an archive map: its level, its day, the credit line.
QStringList archiveExportCaption(const QString &levelName, const QDate &day, const QString &credit);

// "temp-2026120612-+18h.png": kind key, run of `now` (UTC), step hours.
QString forecastImageName(const QString &kindKey, const QDateTime &now, int step);
// "p500-19900315.png"
QString archiveImageName(ArchiveLevel level, const QDate &day);
// "temp-2026120612.gif"
QString animationName(const QString &kindKey, const QDateTime &now);
