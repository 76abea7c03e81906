#include "viewer/form1.h"

void Form1::exportImage()
{
}

void Form1::exportAnimation()
{
}
