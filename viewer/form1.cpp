// Form1: construction and wiring. User input asks the model to change; the model's signals
// update the controls and redraw the map.
#include "viewer/form1.h"
#include "viewer/meteogramwindow.h"
#include "viewer/designlayout.h"
#include "viewer/aboutbox.h"
#include "viewer/helpwindow.h"
#include "viewer/hostchoice.h"
#include "viewer/picturebox.h"

#include "mapserver/demoserver.h"
#include "retrieval/mapaddress.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QCheckBox>
#include <QClipboard>
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
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

Form1::Form1(const Form1Config &config, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_config(config),
      m_service(new RetrievalService(config.cacheDir, {}, this))
{
    createControls();
    // The design size is the default and the least; the map takes any more.
    setMinimumSize(layout()->sizeHint());
    resize(minimumSize());
    connectChoices();
    connectCommands();
    connectModel();
    connectService();
    setUpHosts();
    watchKeys();
    centreOnScreen();
}

// Jobs still under way end with the service: what they report must not reach a window
// being destroyed (the start-up probe would go on with the start-up).
Form1::~Form1()
{
    delete m_meteogram;  // its fetch ends while the service stands
    for (QObject *job : m_service->findChildren<QObject *>())
        job->disconnect(this);
    m_service->disconnect(this);
    delete m_service;
}

void Form1::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// An option button that chooses one value when it becomes checked.
template <class Setter, class Value>
static void chooseOnCheck(QRadioButton *option, ViewerModel *model, Setter setter, Value value)
{
    QObject::connect(option, &QRadioButton::toggled, model, [model, setter, value](bool on) {
        if (on)
            (model->*setter)(value);
    });
}

// Options, boxes, lists and bars ask the model to change. They also report changes the
// program makes to follow the model: the model ignores a value it already has.
void Form1::connectChoices()
{
    for (std::size_t k = 0; k < kindOptions.size(); ++k)
        chooseOnCheck(kindOptions[k], &m_model, &ViewerModel::setKind, int(k) + 1);
    chooseOnCheck(currentRunOption, &m_model, &ViewerModel::setMode, ViewerModel::Mode::CurrentRun);
    chooseOnCheck(archiveOption, &m_model, &ViewerModel::setMode, ViewerModel::Mode::Archive);
    chooseOnCheck(archive500Option, &m_model, &ViewerModel::setArchiveLevel, ArchiveLevel::P500);
    chooseOnCheck(archive850Option, &m_model, &ViewerModel::setArchiveLevel, ArchiveLevel::P850);
    for (QCheckBox *box : {animateStepsBox, animateDaysBox})
        connect(box, &QCheckBox::toggled, &m_model, &ViewerModel::setAnimating);
    connect(lowBandwidthBox, &QCheckBox::toggled, &m_model, &ViewerModel::setLowBandwidth);
    connect(valueBoxCheck, &QCheckBox::toggled, &m_model, &ViewerModel::setValueBox);

    // A date part picked from a list, or typed and ended (Enter, leaving the box): the
    // program's own setting of the lists (following the model) is neither.
    connect(yearCombo, &QComboBox::textActivated, this, &Form1::chooseYear);
    for (const auto &[combo, choose] : {std::pair{monthCombo, &Form1::chooseMonth}, std::pair{dayCombo, &Form1::chooseDay}}) {
        connect(combo, &QComboBox::textActivated, this, choose);
        QLineEdit *edit = combo->lineEdit();
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, choose] {
            if (edit->isModified())
                (this->*choose)(edit->text());
            edit->setModified(false);
        });
    }
    connect(maxStepEdit, &QSpinBox::valueChanged, this, &Form1::setMaxStep);
    connect(stepScrollBar, &QScrollBar::valueChanged, &m_model, &ViewerModel::setStep);
    connect(stepScrollBar, &QScrollBar::sliderMoved, this, &Form1::previewStep);
    connect(archiveDayScrollBar, &QScrollBar::valueChanged, &m_model, &ViewerModel::setArchiveDayOfYear);
    connect(archiveDayScrollBar, &QScrollBar::sliderMoved, this, &Form1::previewArchiveDay);
}

void Form1::connectCommands()
{
    const std::pair<QPushButton *, void (Form1::*)()> buttons[] = {
        {deleteRunButton, &Form1::deleteRun},       {probeRunButton, &Form1::probeRun},
        {computeButton, &Form1::computeForecast},   {refreshRunButton, &Form1::refreshRun},
        {copyAddressButton, &Form1::copyAddress},   {showArchiveButton, &Form1::RefreshPicture},
        {downloadAllButton, &Form1::toggleDownloadAll}, {meteogramButton, &Form1::openMeteogram},
        {exportImageButton, &Form1::exportImage},   {exportAnimationButton, &Form1::exportAnimation},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);
    connect(zoomInButton, &QPushButton::clicked, &m_model, &ViewerModel::zoomIn);
    connect(zoomOutButton, &QPushButton::clicked, &m_model, &ViewerModel::zoomOut);
    connect(fitViewButton, &QPushButton::clicked, &m_model, &ViewerModel::fitView);
    connect(homeViewButton, &QPushButton::clicked, &m_model, &ViewerModel::homeView);
    const std::pair<QPushButton *, QPointF> pans[] = {
        {panUpButton, {0, ViewerModel::PanStep}},    {panDownButton, {0, -ViewerModel::PanStep}},
        {panLeftButton, {ViewerModel::PanStep, 0}},  {panRightButton, {-ViewerModel::PanStep, 0}},
    };
    for (const auto &[button, delta] : pans)
        connect(button, &QPushButton::clicked, this, [this, delta] { m_model.pan(delta.x(), delta.y()); });
    connect(aboutButton, &QPushButton::clicked, this, [this] { showAbout(this); });
    connect(helpButton, &QPushButton::clicked, this, [this] { helpWindow()->showHelp(); });

    connect(animationTimer, &QTimer::timeout, &m_model, &ViewerModel::animationTick);
    connect(mapPicture, &PictureBox::mousePressed, this, &Form1::pressOnMap);
    connect(mapPicture, &PictureBox::mouseMoved, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, float x, float y) {
        moveOnMap(buttons, x, y);
    });
    connect(mapPicture, &PictureBox::mouseReleased, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, float x, float y) {
        releaseOnMap(button, x, y);
    });
    connect(mapPicture, &PictureBox::wheelTurned, this, &Form1::turnWheel);
    connect(mapPicture, &PictureBox::pointerLeft, valueBox, &QWidget::hide);
    connect(mapPicture, &PictureBox::resized, this, [this](QSize size) {
        m_model.setViewSize(size);
        redrawMap();
    });
}

// The model is the one place the state lives: the controls follow it.
void Form1::connectModel()
{
    connect(&m_model, &ViewerModel::selectionChanged, this, [this] {
        kindOptions[m_model.kind() - 1]->setChecked(true);
        (m_model.archiveLevel() == ArchiveLevel::P850 ? archive850Option : archive500Option)->setChecked(true);
        RefreshPicture();
    });
    connect(&m_model, &ViewerModel::viewChanged, this, &Form1::showView);
    connect(&m_model, &ViewerModel::placeChanged, this, &Form1::showPlace);
    connect(&m_model, &ViewerModel::modeChanged, this, &Form1::showMode);
    connect(&m_model, &ViewerModel::stepChanged, this, &Form1::showStep);
    connect(&m_model, &ViewerModel::maxStepChanged, stepScrollBar, &QScrollBar::setMaximum);
    connect(&m_model, &ViewerModel::archiveDateChanged, this, &Form1::showArchiveDate);
    connect(&m_model, &ViewerModel::archiveDateRefused, this, &Form1::refuseArchiveDate);
    connect(&m_model, &ViewerModel::animatingChanged, this, [this](bool on) {
        for (QCheckBox *box : {animateStepsBox, animateDaysBox})
            box->setChecked(on);
        on ? animationTimer->start() : animationTimer->stop();
    });
    connect(&m_model, &ViewerModel::lowBandwidthChanged, this, [this](bool on) {
        lowBandwidthBox->setChecked(on);
        SavedSettings::writeText(QStringLiteral("modem"), on ? QStringLiteral("1") : QStringLiteral("0"));
        m_service->setLowBandwidth(on);
    });
    connect(&m_model, &ViewerModel::languageChanged, this, &Form1::retranslate);
    connect(&m_model, &ViewerModel::valueBoxChanged, this, [this](bool on) {
        valueBoxCheck->setChecked(on);
        SavedSettings::writeText(QStringLiteral("rec"), on ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

void Form1::connectService()
{
    connect(m_service, &RetrievalService::statusText, this, &Form1::showStatus);
    connect(m_service, &RetrievalService::progressChanged, this, [this](bool visible, double fraction) {
        const int inner = progressOutline->width() - 2;  // the fill sits inside the outline
        qobject_cast<DesignLayout *>(statusFrame->layout())
            ->setWidth(progressFill, qRound(qBound(0.0, fraction, 1.0) * inner));
        progressFill->setVisible(visible);
        progressOutline->setVisible(visible);
    });
    connect(m_service, &RetrievalService::messageBox, this, &Form1::showMessage);
    connect(m_service, &RetrievalService::activeChanged, stopButton, &QWidget::setVisible);
    connect(stopButton, &QToolButton::clicked, m_service, &RetrievalService::cancelAll);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_service, &RetrievalService::cancelAll);
    // No control of the window uses F1 itself.
    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, helpButton, &QPushButton::click);
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
    if (hosts.isEmpty() && m_config.demoServer) {
        const QString demo = m_config.demoServer->hostPort();
        hosts = QStringList{demo, demo, demo};
        m_usesDemoServer = true;
    }
    m_service->setDirect(m_usesDemoServer);
    m_service->servers().hosts = hosts;
}

// A status longer than its line can still be read whole, in the tooltip.
void Form1::showStatus(const QString &text)
{
    statusLabel->setText(text);
    statusLabel->setToolTip(text);
}

void Form1::showMode(ViewerModel::Mode mode)
{
    const bool archive = mode == ViewerModel::Mode::Archive;
    (archive ? archiveOption : currentRunOption)->setChecked(true);
    currentRunFrame->setVisible(!archive);
    archiveFrame->setVisible(archive);
    downloadAllButton->setVisible(!archive);
}

void Form1::copyAddress()
{
    const QString address = selectionAddress(m_model.selection(), m_service->servers());
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(address);
    // Some desktops refuse the clipboard; the log keeps the address for the user.
    if (clipboard->text() != address)
        m_service->log().AddLog(QStringLiteral("Copie impossible : ") + address);
    else
        showStatus(msg(Msg::AddressCopied) + address);
}
