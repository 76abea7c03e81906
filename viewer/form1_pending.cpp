// Operations and handlers of Form1 whose behaviour is still to be written. Each one moves
// to the file of its subsystem (map display, steps, zoom and readout, archives, run
// commands, help) when it is written, and leaves this file.
#include "viewer/form1.h"

void Form1::RefreshPicture() {}

void Form1::Command1_Click() {}
void Form1::Command2_Click() {}
void Form1::Command3_Click() {}
void Form1::Command4_Click() {}
void Form1::Command5_Click() {}
void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::Command8_Click() {}
void Form1::Command9_Click() {}
void Form1::Command10_Click() {}
void Form1::Command11_Click() {}
void Form1::Command13_Click() {}
void Form1::Command14_Click() {}
void Form1::Command15_Click() {}
void Form1::Text1_Change() {}
void Form1::HScroll1_Change() {}
void Form1::HScroll1_Scroll() {}
void Form1::HScroll2_Change() {}
void Form1::HScroll2_Scroll() {}
void Form1::Timer1_Timer() {}
void Form1::Picture1_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, float, float) {}
void Form1::Picture1_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float, float) {}
