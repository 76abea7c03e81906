#pragma once
// Form2, the "Mise en route" window: the guide of the language in force, the box that stops
// it from opening at every start, and the choice of language (every first start shows this
// window). Resizable; the text takes any extra room.
#include <QDialog>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
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
    // The language in force (its name): the captions, the list and the guide follow it.
    void setLanguage(const QString &name);

    // The text shown when the help file cannot be read.
    static QString missingFileNotice(const QString &file, const QString &folder);
    static QString unreadableFileNotice(const QString &path);

    QGroupBox *Frame1;
    QPlainTextEdit *Text1;
    QCheckBox *Check1;
    QPushButton *Command1;
    QLabel *languageCaption;
    QComboBox *languageList;  // the name of each language as its item data

Q_SIGNALS:
    void languageChosen(const QString &name);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Check1_Click();
    void Command1_Click();
    QString helpText() const;
    void retranslate();

    bool m_loaded = false;
    QString m_language;
    QTimer m_autoClose;
};
