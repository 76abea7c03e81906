// Run commands: to be written.
#include "viewer/form1.h"

void Form1::Command1_Click() {}
void Form1::Command2_Click() {}
void Form1::Command10_Click() {}
void Form1::Command15_Click() {}
void Form1::Text1_Change() {}
