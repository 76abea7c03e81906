#pragma once
#include <QIcon>

// The program's icon: a small globe with a wind streak, drawn rather than shipped.
QIcon cartaventIcon();
