// Map display, steps and address copy: to be written.
#include "viewer/form1.h"

void Form1::RefreshPicture() {}
void Form1::HScroll1_Change() {}
void Form1::HScroll1_Scroll() {}
void Form1::stepAnimationTick() {}
void Form1::Command11_Click() {}
