#pragma once
// Paints one demonstration map: the field in exact legend colours, the overlays that
// make it read as a weather map, and the decorations around it.
#include "mapserver/mapdecor.h"
#include "mapserver/mapkinds.h"
#include "mapserver/weathermodel.h"

#include <QImage>

QImage paintMap(const DemoKind &kind, bool archive, const WeatherModel &model, const MapCaption &caption);
