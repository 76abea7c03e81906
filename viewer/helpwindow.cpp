#include "viewer/helpwindow.h"
#include "shell/language.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "shell/textutil.h"
#include "shell/twips.h"
#include "viewer/translation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QColor LightGrey(192, 192, 192);  // &H00C0C0C0
// The design's size, 6765 x 6030 twips; below the minimum the guide shows only a few lines.
const QSize DefaultSize(twipsToPixels(6765), twipsToPixels(6030));
const QSize MinimumSize(320, 240);

void setBackground(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, LightGrey);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

Form2::Form2(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(msg(Msg::HelpTitle));
    setBackground(this);

    Frame1 = new QGroupBox(msg(69), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setProperty("tag", QStringLiteral("69"));

    Text1 = new QPlainTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The guide is laid out in columns: a fixed-width font keeps them aligned, and its
    // lines are short enough not to need wrapping.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(8.25);
    Text1->setFont(fixed);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Text1);

    Check1 = new QCheckBox(msg(70), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setProperty("tag", QStringLiteral("70"));
    setBackground(Check1);

    Command1 = new QPushButton(msg(71), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setProperty("tag", QStringLiteral("71"));
    Command1->setDefault(true);
    Command1->setMinimumSize(twipsToPixels(1470), twipsToPixels(375));

    languageCaption = new QLabel(msg(Msg::Language), this);
    languageCaption->setObjectName(QStringLiteral("languageCaption"));
    languageCaption->setProperty("tag", QString::number(int(Msg::Language)));
    languageList = new QComboBox(this);
    languageList->setObjectName(QStringLiteral("languageList"));
    languageList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    languageCaption->setBuddy(languageList);

    // A box layout gives a hidden widget no room: once the check box is gone for good, the
    // text takes its place. "OK" stays in the middle, the language list at its left.
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1, 1);
    layout->addWidget(Check1, 0, Qt::AlignHCenter);
    auto *bottom = new QGridLayout;
    auto *choice = new QHBoxLayout;
    choice->addWidget(languageCaption);
    choice->addWidget(languageList);
    bottom->addLayout(choice, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    bottom->addWidget(Command1, 0, 1);
    bottom->setColumnStretch(0, 1);
    bottom->setColumnStretch(2, 1);
    layout->addLayout(bottom);
    setMinimumSize(MinimumSize);
    resize(DefaultSize);

    connect(Check1, &QCheckBox::stateChanged, this, &Form2::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(languageList, &QComboBox::activated, this, [this](int index) {
        Q_EMIT languageChosen(languageList->itemData(index).toString());
    });

    m_autoClose.setSingleShot(true);
    connect(&m_autoClose, &QTimer::timeout, this, &QWidget::hide);
}

void Form2::showModalAtStartup(int autoCloseMs)
{
    if (autoCloseMs >= 0)
        m_autoClose.start(autoCloseMs);
    exec();
    m_autoClose.stop();
}

void Form2::showHelp()
{
    show();
    raise();
    activateWindow();
}

void Form2::showEvent(QShowEvent *event)
{
    ensureLoaded();
    QDialog::showEvent(event);
}

void Form2::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Any number but 0 means "do not show at start-up", so it ticks the box.
    const double saved = SavedSettings::readNumber(QStringLiteral("help"), 0);
    Check1->setChecked(roundHalfEven(saved) != 0);
    // Each language by its own name, so the list reads the same whatever the language.
    for (const Language::Entry &entry : Language::available(programDir()))
        languageList->addItem(entry.title, entry.name);
    retranslate();
}

void Form2::setLanguage(const QString &name)
{
    m_language = name;
    if (m_loaded)
        retranslate();
}

void Form2::retranslate()
{
    TranslateForm(this);
    setWindowTitle(msg(Msg::HelpTitle));
    const int current = languageList->findData(Language::choose({}, m_language));
    languageList->setCurrentIndex(qMax(current, 0));
    Text1->setPlainText(helpText());
}

QString Form2::helpText() const
{
    const QString path = Language::helpFile(programDir(), m_language);
    const QFileInfo info(path);
    if (!info.isFile())
        return missingFileNotice(info.fileName(), info.absolutePath());
    return readTextFile(path).value_or(unreadableFileNotice(path));
}

QString Form2::missingFileNotice(const QString &file, const QString &folder)
{
    return msg(Msg::HelpMissing).arg(file, QDir::toNativeSeparators(folder));
}

QString Form2::unreadableFileNotice(const QString &path)
{
    return msg(Msg::HelpUnreadable).arg(QDir::toNativeSeparators(path));
}

void Form2::Check1_Click()
{
    SavedSettings::writeText(QStringLiteral("help"),
                             Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void Form2::Command1_Click()
{
    Check1->hide();  // for good: the window keeps its state while hidden
    hide();
}
