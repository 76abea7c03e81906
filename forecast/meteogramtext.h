#pragma once
// The words of the meteogram: the quantities' names, their values written as the step panel
// writes them, the storm classes, and the line that reads one step.
#include "forecast/meteogram.h"
#include "forecast/pictogram.h"

#include <QDateTime>
#include <QString>

QString meteogramName(PanelRole role);
// "12,3°C", "0,4 mm", "80 %", "23,0 km/h"; the storm class for the storm energy; N/D
// without a value.
QString meteogramValue(PanelRole role, std::optional<double> mean);
// The storm mark of a step: 0 none (no storm for the pictogram either), then 1 weak,
// 2 moderate, 3 strong as the value box classes the energy.
int stormLevel(std::optional<double> energy);
// The valid time of one step, then every quantity on a second line.
QString meteogramReadout(const MeteogramStep &step, const QDateTime &valid);
