#pragma once
#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

// Message 44, the version and ")", the copyright line, then message 45, lines apart as the box shows them.
QString aboutText();
// The box itself: title "Cartavent", the text, an OK button, no icon.
std::unique_ptr<QMessageBox> makeAboutBox(QWidget *parent);
// "À propos": shows the box and returns when it is closed.
void showAbout(QWidget *parent);
