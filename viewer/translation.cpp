#include "viewer/translation.h"

#include "shell/messages.h"
#include "shell/textutil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVariant>
#include <QWidget>

namespace {

// Buttons, labels, frames, options and check boxes take a caption; other widgets are left alone.
void setCaption(QWidget *widget, const QString &text)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget)) {
        box->setTitle(text);
        return;
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setTextFormat(Qt::PlainText);  // a message that looks like markup stays text
        label->setText(text);
        return;
    }
    if (qobject_cast<QPushButton *>(widget) || qobject_cast<QRadioButton *>(widget)
        || qobject_cast<QCheckBox *>(widget)) {
        static_cast<QAbstractButton *>(widget)->setText(text);
    }
}

} // namespace

void TranslateForm(QWidget *window)
{
    if (!window)
        return;
    // findChildren walks each container's children in the order they were added.
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        const QVariant tag = control->property("tag");
        if (!tag.isValid())
            continue;
        const double number = parseLenient(tag.toString());
        if (number == 0.0)
            continue;
        const qint64 n = roundHalfEven(number);
        if (!isMessageNumber(n))
            continue;
        setCaption(control, msg(int(n)));
    }
}
