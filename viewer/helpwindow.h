#pragma once
// Form2, the "Mise en route" window: the help file beside the program and the box that
// stops it from opening at every start. Resizable; the text takes any extra room.
#include <QDialog>
#include <QTimer>

class QCheckBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    // Start-up: modal until hidden. With autoCloseMs >= 0 it hides itself after that long,
    // so an unattended run (--screenshot) never waits on it.
    void showModalAtStartup(int autoCloseMs = -1);
    // "Aide": shown without blocking.
    void showHelp();

    // Translation, the box from the "help" setting and the text; runs once, at the first show.
    void ensureLoaded();
    bool isLoaded() const { return m_loaded; }

    // The text shown when the help file cannot be read.
    static QString missingFileNotice(const QString &folder);
    static QString unreadableFileNotice(const QString &path);

    QGroupBox *Frame1;
    QPlainTextEdit *Text1;
    QCheckBox *Check1;
    QPushButton *Command1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Check1_Click();
    void Command1_Click();
    QString helpText() const;

    bool m_loaded = false;
    QTimer m_autoClose;
};
