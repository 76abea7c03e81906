#include "viewer/aboutbox.h"
#include "shell/messages.h"

#include <QMessageBox>

QString aboutText()
{
    const QString lineBreak = QStringLiteral("\r\n");
    // The same version as "cartavent --version".
    return msg(Msg::AboutVersion) + QStringLiteral(" " CARTAVENT_VERSION ")") + lineBreak
           + msg(Msg::Copyright) + lineBreak + lineBreak
           + msg(Msg::AboutText) + lineBreak + lineBreak;
}

std::unique_ptr<QMessageBox> makeAboutBox(QWidget *parent)
{
    // A label shows "\r\n" as a stray glyph before the break: it gets plain "\n".
    QString text = aboutText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("Cartavent"),
                                             text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);  // a message holding "<" stays text
    box->setObjectName(QStringLiteral("aboutBox"));
    return box;
}

void showAbout(QWidget *parent)
{
    makeAboutBox(parent)->exec();
}
