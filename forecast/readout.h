#pragma once
// The value box that follows the pointer: which legend reads the map shown, the average
// of the samples that decode, and the text with its unit.
#include "forecast/legends.h"
#include "shell/messages.h"

#include <QString>
#include <optional>
#include <span>

enum class ReadoutRule { P850, Temp, Prec, Nebu, P500, Vent, Orag };

// Archive mode reads the archive level; current-run mode reads the kind (kind number
// 1..7 as in the catalogue, anything else reads as the storm map).
ReadoutRule readoutRule(bool archiveMode, bool archive850, int kindNumber);

using Decoder = Decoded (*)(qint32 color);
Decoder readoutDecoder(ReadoutRule rule);

// Mean of the samples that decode (GetPrec's empty counts as 0); points off the picture
// (negative colours) never count. None when nothing decodes.
std::optional<double> readoutAverage(ReadoutRule rule, std::span<const qint32> colours);

// Message of the storm class of an average in J/kg. Every average has one:
// up to 800 weak (59), above 800 up to 1600 moderate (60), above 1600 strong (61).
Msg stormClassMessage(double average);

// The box's text for an average; message 58 when there is none.
QString readoutText(ReadoutRule rule, std::optional<double> average);

inline QString readoutText(ReadoutRule rule, std::span<const qint32> colours)
{
    return readoutText(rule, readoutAverage(rule, colours));
}
