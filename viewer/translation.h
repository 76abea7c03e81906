#pragma once
class QWidget;

// Replaces the captions of the window's buttons, labels, frames, options and check boxes
// by the message whose number their "tag" property holds.
void TranslateForm(QWidget *window);
