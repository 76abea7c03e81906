// Zoom, pan, readout, place and archive browsing: to be written.
#include "viewer/form1.h"

void Form1::Command4_Click() {}
void Form1::Command5_Click() {}
void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::Command8_Click() {}
void Form1::Command9_Click() {}
void Form1::HScroll2_Change() {}
void Form1::HScroll2_Scroll() {}
void Form1::archiveAnimationTick() {}
void Form1::GetArchive500(int, int, int) {}
void Form1::GetArchive850(int, int, int) {}
void Form1::Picture1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, float, float) {}
void Form1::Picture1_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float, float) {}
