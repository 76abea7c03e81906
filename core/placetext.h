#pragma once
// The saved place and the numbers the window writes back to the settings.
#include <QString>

// Plain decimal text that the lenient parse reads back unchanged: no exponent, no
// trailing zeros ("4000", "40.5", "-12").
QString decimalText(double value);

// A saved place coordinate (twips); a value no map could hold (a hand-edited "1e39")
// gives the default place rather than infinities in every later computation.
float savedPlace(const QString &key);
