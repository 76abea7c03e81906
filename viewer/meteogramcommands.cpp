#include "viewer/form1.h"

void Form1::openMeteogram()
{
}
