#pragma once
// From a map request to its picture: the time it is valid for, the model state, the captions.
#include "mapserver/mapdecor.h"
#include "mapserver/mappath.h"
#include "mapserver/weathermodel.h"

#include <QImage>

// Runs are six hours apart; run r starts at hour 6 r after 1970-01-01 00 UTC.
int clockRunId(qint64 secondsSinceEpoch);  // the run whose slot holds that time
// The run a real server holds at that time: the slot before the current one, whose maps
// take hours to compute.
int newestRunId(qint64 secondsSinceEpoch);
double forecastValidHour(int runId, int step);
double archiveValidHour(const QDate &day);   // the analysis of 12 UTC

// The texts printed over the map.
MapCaption mapCaption(const MapRequest &request, int runId);
WeatherModel modelFor(const MapRequest &request, int runId);
QImage renderMap(const MapRequest &request, int runId);
