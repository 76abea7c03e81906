// Point forecast, help and about: to be written.
#include "viewer/form1.h"

void Form1::Command3_Click() {}
void Form1::Command13_Click() {}
void Form1::Command14_Click() {}
