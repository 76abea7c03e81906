#pragma once
#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

// Message 44, " 3.1)", the copyright line, then message 45, lines apart as the box shows them.
QString aboutText();
// The box itself: title "Cartavent", the text, an OK button, no icon.
std::unique_ptr<QMessageBox> makeAboutBox(QWidget *parent);
// "A propos": shows the box and returns when it is closed.
void showAbout(QWidget *parent);
