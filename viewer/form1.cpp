// Form1: construction, signal wiring and the handlers that are a line or two.
#include "viewer/form1.h"
#include "viewer/hostchoice.h"
#include "viewer/mapdisplay.h"
#include "viewer/picturebox.h"

#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

Form1::Form1(const Form1Config &config, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      Service(new RetrievalService(config.cacheDir, {}, this)),
      m_config(config)
{
    createControls();
    connectHandlers();
    connectService();
    setUpHosts();
    centreOnScreen();
}

Form1::~Form1() = default;

void Form1::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void Form1::connectHandlers()
{
    // Option and check-box clicks also fire when the program changes the value.
    for (QRadioButton *o : {Option1, Option2, Option3, Option4, Option5, Option6, Option7,
                            Option10, Option11}) {
        connect(o, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RefreshPicture();
        });
    }
    connect(Option8, &QRadioButton::toggled, this, [this](bool on) { if (on) Option8_Click(); });
    connect(Option9, &QRadioButton::toggled, this, [this](bool on) { if (on) Option9_Click(); });
    connect(Check1, &QCheckBox::stateChanged, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::stateChanged, this, &Form1::Check2_Click);
    connect(Check3, &QCheckBox::stateChanged, this, &Form1::Check3_Click);
    connect(Check4, &QCheckBox::stateChanged, this, &Form1::Check4_Click);

    const std::pair<QPushButton *, void (Form1::*)()> buttons[] = {
        {Command1, &Form1::Command1_Click},   {Command2, &Form1::Command2_Click},
        {Command3, &Form1::Command3_Click},   {Command4, &Form1::Command4_Click},
        {Command5, &Form1::Command5_Click},   {Command6, &Form1::Command6_Click},
        {Command7, &Form1::Command7_Click},   {Command8, &Form1::Command8_Click},
        {Command9, &Form1::Command9_Click},   {Command10, &Form1::Command10_Click},
        {Command11, &Form1::Command11_Click}, {Command12, &Form1::Command12_Click},
        {Command13, &Form1::Command13_Click}, {Command14, &Form1::Command14_Click},
        {Command15, &Form1::Command15_Click},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);

    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    // The month box's change is an edit of its text: typing here, or the program's own
    // setting (HScroll2_Change calls the handler); a month picked from the list waits for
    // the next redraw.
    connect(Combo2->lineEdit(), &QLineEdit::textEdited, this, &Form1::Combo2_Change);
    connect(Combo3, &QComboBox::activated, this, &Form1::Combo3_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(HScroll1, &QScrollBar::sliderMoved, this, &Form1::HScroll1_Scroll);
    connect(HScroll2, &QScrollBar::valueChanged, this, &Form1::HScroll2_Change);
    connect(HScroll2, &QScrollBar::sliderMoved, this, &Form1::HScroll2_Scroll);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Picture1, &PictureBox::mouseMoved, this, &Form1::Picture1_MouseMove);
    connect(Picture1, &PictureBox::mouseReleased, this, &Form1::Picture1_MouseUp);
}

void Form1::connectService()
{
    connect(Service, &RetrievalService::statusText, Label3, &QLabel::setText);
    connect(Service, &RetrievalService::progressChanged, this, [this](bool visible, double fraction) {
        const int inner = tour->width() - 2;  // the fill sits inside the outline
        tour2->resize(qRound(qBound(0.0, fraction, 1.0) * inner), tour2->height());
        tour2->setVisible(visible);
        tour->setVisible(visible);
    });
    connect(Service, &RetrievalService::messageBox, this, &Form1::showMessage);
    connect(Service, &RetrievalService::activeChanged, stopButton, &QWidget::setVisible);
    connect(stopButton, &QToolButton::clicked, Service, &RetrievalService::cancelAll);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Service, &RetrievalService::cancelAll);
}

// Not exec(): a job that reports a problem goes on while the box waits for its "OK".
void Form1::showMessage(const QString &text, bool information)
{
    if (m_config.unattended)
        return;  // nobody to press OK
    auto *box = new QMessageBox(information ? QMessageBox::Information : QMessageBox::Warning, windowTitle(), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Form1::setUpHosts()
{
    QStringList hosts = chooseMapHosts(m_config.hosts, SavedSettings::hosts());
    if (hosts.isEmpty()) {
        m_demoServer = std::make_unique<DemoMapServer>();
        if (m_demoServer->start())
            hosts = QStringList{m_demoServer->hostPort(), m_demoServer->hostPort(),
                                m_demoServer->hostPort()};
        else
            m_demoServer.reset();
        Service->setDirect(m_demoServer != nullptr);
    }
    Service->servers().hosts = hosts;
}

bool Form1::usesDemoServer() const
{
    return m_demoServer != nullptr;
}

// --- the simple handlers ---

void Form1::Option8_Click()
{
    Frame2->show();
    Frame7->hide();
    Command15->show();
    RefreshPicture();
}

void Form1::Option9_Click()
{
    Frame2->hide();
    Frame7->show();
    Command15->hide();
    RefreshPicture();
}

// Both animation boxes drive the one clock; the tick decides which animation advances.
static void runWhileTicked(QTimer *timer, const QCheckBox *box)
{
    if (box->isChecked())
        timer->start();
    else
        timer->stop();
}

void Form1::Check1_Click() { runWhileTicked(Timer1, Check1); }
void Form1::Check3_Click() { runWhileTicked(Timer1, Check3); }

void Form1::Check4_Click()
{
    SavedSettings::writeText(QStringLiteral("rec"), Check4->isChecked() ? QStringLiteral("1")
                                                                        : QStringLiteral("0"));
}

void Form1::Check2_Click()
{
    const bool on = Check2->isChecked();
    SavedSettings::writeText(QStringLiteral("modem"), on ? QStringLiteral("1") : QStringLiteral("0"));
    Service->setLowBandwidth(on);
}

void Form1::Combo1_Click()
{
    if (!Service->held())
        RefreshPicture();
}

void Form1::Combo2_Change() { RefreshPicture(); }
void Form1::Combo3_Click() { RefreshPicture(); }
void Form1::Command12_Click() { RefreshPicture(); }

// One clock for both animations: the mode selected at the tick decides which advances.
void Form1::Timer1_Timer()
{
    // A tick whose map is being fetched holds the next ones back until it arrives.
    if (m_loading)
        return;
    if (Option9->isChecked())
        archiveAnimationTick();
    else
        stepAnimationTick();
}
