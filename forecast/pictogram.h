#pragma once
#include <QString>
#include <QtGlobal>

#include <array>

// Every number getpicto returns; each has its picture in picto/.
inline constexpr std::array<qint16, 12> pictogramNumbers{1, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 18};

// Storm energy (J/kg) above which the weather is pictured as a storm.
constexpr float StormEnergy = 200.0f;

// Weather pictogram number, one of pictogramNumbers.
qint16 getpicto(float temp, float nebu, float p850, float prec, float orag);
// <programDir>/picto/pt_<n>.gif
QString pictogramFile(const QString &programDir, int number);
