// Form1's controls: creation under their design names, captions, tags, colours, and their
// place in the layouts. Places are the design's, in pixels at the default window size
// (twips where the design gives twips, 15 to a pixel); the map takes any extra room.
#include "viewer/designlayout.h"
#include "viewer/form1.h"
#include "viewer/picturebox.h"
#include "viewer/windowicon.h"

#include "shell/messages.h"
#include "shell/twips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <type_traits>

namespace {

constexpr int FormWidthTwips = 12420;
constexpr int FormHeightTwips = 9345;
// Condensed: the design's captions were sized for a narrow system font.
const char FontFamily[] = "DejaVu Sans Condensed";

// Frame captions sit on the frame line, as the design draws them. A style rule resets the
// font of the widgets it matches, so the frames restate the window's font.
const char FrameStyle[] = R"(
QGroupBox { font: 8.25pt "DejaVu Sans Condensed";
            border: 1px solid #9a9a9a; border-radius: 2px; margin-top: 7px; }
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;
                   left: 6px; padding: 0px 2px; }
)";

using A = DesignLayout::Anchor;

// A rectangle the design gives in twips.
QRect tw(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QSize formSize() { return QSize(twipsToPixels(FormWidthTwips), twipsToPixels(FormHeightTwips)); }

// A control under its design name, placed by its container's layout. A control with a
// message number (its tag) takes that message as its caption; others show what is given
// (a symbol, a number with its unit).
template <class T>
T *control(QWidget *parent, const char *name, const QRect &rect, const QString &caption = {},
           int tag = 0, int anchors = A::Fixed)
{
    T *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    const QString text = tag > 0 ? msg(tag) : caption;
    if constexpr (std::is_same_v<T, QGroupBox>)
        w->setTitle(text);
    else if constexpr (requires { w->setText(text); })
        w->setText(text);
    if (tag > 0)
        w->setProperty("tag", QString::number(tag));
    if (auto *layout = qobject_cast<DesignLayout *>(parent->layout()))
        layout->place(w, rect, anchors);
    return w;
}

// A container whose children keep their design places.
template <class T>
T *container(QWidget *parent, const char *name, const QRect &rect, const QString &caption = {},
             int tag = 0, int anchors = A::Fixed)
{
    T *w = control<T>(parent, name, rect, caption, tag, anchors);
    new DesignLayout(w, rect.size());
    return w;
}

QFont designFont(double points, bool bold)
{
    QFont f{QString::fromLatin1(FontFamily)};
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setBold(std::initializer_list<QWidget *> widgets, double points = 8.25)
{
    for (QWidget *w : widgets)
        w->setFont(designFont(points, true));
}

void setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColour(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}

QScrollBar *scrollBar(QWidget *parent, const char *name, const QRect &rect, int min, int max, int pageStep)
{
    auto *bar = control<QScrollBar>(parent, name, rect);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(min, max);
    bar->setSingleStep(1);
    bar->setPageStep(pageStep);
    // Change fires on release, Scroll while dragging, as in the design.
    bar->setTracking(false);
    return bar;
}

QComboBox *dateList(QWidget *parent, const char *name, int top, bool editable)
{
    auto *combo = control<QComboBox>(parent, name, QRect(62, top, 76, 22));
    combo->setEditable(editable);
    if (editable) {
        combo->setInsertPolicy(QComboBox::NoInsert);  // a typed value is not added to the list
        combo->setEditText(QStringLiteral("1"));
    }
    return combo;
}

// Option buttons of one container: Qt's own exclusivity would also see those of frames nested in it.
void exclusiveGroup(QObject *owner, std::initializer_list<QRadioButton *> options)
{
    auto *group = new QButtonGroup(owner);
    for (QRadioButton *o : options)
        group->addButton(o);
}

} // namespace

void Form1::applyFonts()
{
    setFont(designFont(8.25, false));
    setStyleSheet(QString::fromLatin1(FrameStyle));
}

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Cartavent"));
    setWindowIcon(cartaventIcon());
    applyFonts();
    m_layout = new DesignLayout(this, formSize());

    createMapControls();
    createCurrentRunControls();
    createArchiveControls();
    createCommandControls();
    createPlaceControls();

    animationTimer = new QTimer(this);
    animationTimer->setObjectName(QStringLiteral("Timer1"));
    animationTimer->setInterval(500);

    // Frames reset their children's font (see FrameStyle): give every plain control the
    // window's font explicitly.
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->testAttribute(Qt::WA_SetFont))
            w->setFont(font());
    }
    setBold({valueBox, kindCaption, placeHint, mapNote, nowPanel.captions[0], nowPanel.captions[1],
             nowPanel.captions[2], nowPanel.captions[3], stepPanel.captions[0], stepPanel.captions[1],
             stepPanel.captions[2], stepPanel.captions[3]});
    setBold({nowPanel.temperature, stepPanel.temperature}, 13.5);
    layout()->activate();
}

void Form1::createMapControls()
{
    const int grow = A::GrowWidth | A::GrowHeight;
    mapPicture = container<PictureBox>(this, "Picture1", tw(285, 195, 8160, 6000), {}, 0, grow);
    m_mapLayout = qobject_cast<DesignLayout *>(mapPicture->layout());
    mapPicture->setBackColor(Qt::black);
    mapPicture->setForeColor(Qt::white);
    mapPicture->setMouseTracking(true);

    copyAddressButton = control<QPushButton>(mapPicture, "Command11", tw(120, 5580, 1155, 285),
                                             {}, 37, A::FollowBottom);
    fitViewButton = control<QPushButton>(mapPicture, "fitViewButton", QRect(90, 372, 74, 19),
                                         {}, int(Msg::FitView), A::FollowBottom);
    homeViewButton = control<QPushButton>(mapPicture, "homeViewButton", QRect(168, 372, 74, 19),
                                          {}, int(Msg::HomeView), A::FollowBottom);
    zoomLabel = control<QLabel>(mapPicture, "zoomLabel", QRect(246, 373, 48, 17), QStringLiteral("×1"), 0, A::FollowBottom);
    setBackground(zoomLabel, Qt::black);
    setTextColour(zoomLabel, Qt::white);
    zoomLabel->setAlignment(Qt::AlignCenter);
    navigationPad = container<PictureBox>(mapPicture, "Picture2", tw(6600, 4635, 1425, 1260), {}, 0,
                                          A::FollowRight | A::FollowBottom);
    navigationPad->setBackColor(QColor(128, 128, 128));
    // One pixel narrower than designed: it no longer reaches under "Zoom -".
    zoomInButton = control<QPushButton>(navigationPad, "Command4", QRect(1, 4, 45, 19), {}, 38);
    zoomOutButton = control<QPushButton>(navigationPad, "Command5", tw(690, 60, 660, 285), {}, 39);
    panUpButton = control<QPushButton>(navigationPad, "Command6", tw(540, 420, 345, 315), {}, 40);
    panDownButton = control<QPushButton>(navigationPad, "Command7", tw(540, 855, 345, 315), {}, 41);
    panLeftButton = control<QPushButton>(navigationPad, "Command8", tw(165, 645, 345, 315), QStringLiteral("<"));
    panRightButton = control<QPushButton>(navigationPad, "Command9", tw(915, 630, 345, 315), QStringLiteral(">"));

    valueBox = control<QLabel>(mapPicture, "Label34", tw(2550, 1320, 660, 240), {}, 0, A::FitText);
    setBackground(valueBox, Qt::black);
    setTextColour(valueBox, QColor(192, 255, 255));
    valueBox->setAlignment(Qt::AlignCenter);
    valueBox->hide();

    legendStrip = control<PictureBox>(this, "Picture5", tw(8640, 225, 735, 5970), {}, 0, A::FollowRight);
    legendStrip->setBackColor(Qt::black);

    // Hidden holders take the size of the picture put into them.
    mapHolder = new PictureBox(this);
    mapHolder->setObjectName(QStringLiteral("Picture3"));
    workPicture = new PictureBox(this);
    workPicture->setObjectName(QStringLiteral("Picture4"));
    for (PictureBox *holder : {mapHolder, workPicture}) {
        holder->setAutoSize(true);
        holder->hide();
    }

    // Over the middle of the map, whatever its size.
    mapNote = control<QLabel>(this, "Label36", tw(285, 195, 8160, 6000), {}, 0, grow | A::CentreOnRect);
    setTextColour(mapNote, Qt::red);
    mapNote->setAlignment(Qt::AlignCenter);
    mapNote->hide();
}

void Form1::createCurrentRunControls()
{
    currentRunFrame = container<QGroupBox>(this, "Frame2", tw(315, 6255, 9390, 2310), {}, 0, A::FollowBottom);
    kindCaption = control<QLabel>(currentRunFrame, "Label11", QRect(8, 12, 134, 16), {}, 101);
    // By kind number, top to bottom.
    const struct { const char *name; int tag; } kinds[] = {
        {"Option1", 100}, {"Option3", 1}, {"Option2", 2}, {"Option4", 3}, {"Option5", 4}, {"Option6", 5}, {"Option7", 6},
    };
    for (std::size_t k = 0; k < kindOptions.size(); ++k) {
        kindOptions[k] = control<QRadioButton>(currentRunFrame, kinds[k].name, QRect(6, 29 + 17 * int(k), 140, 17),
                                               {}, kinds[k].tag);
    }
    kindOptions[0]->setChecked(true);
    exclusiveGroup(this, {kindOptions[0], kindOptions[1], kindOptions[2], kindOptions[3], kindOptions[4],
                          kindOptions[5], kindOptions[6]});

    runDateFrame = container<QGroupBox>(currentRunFrame, "Frame5", tw(2190, 345, 6885, 915), {}, 7);
    stepDateLabel = control<QLabel>(runDateFrame, "Label14", QRect(8, 15, 443, 16));
    stepHoursLabel = control<QLabel>(runDateFrame, "Label2", QRect(4, 34, 34, 16), QStringLiteral("0h"));
    stepHoursLabel->setAlignment(Qt::AlignCenter);
    stepScrollBar = scrollBar(runDateFrame, "HScroll1", tw(600, 480, 2955, 300), 0, ViewerModel::DefaultMaxStep, 1);
    animateStepsBox = control<QCheckBox>(runDateFrame, "Check1", QRect(244, 33, 72, 18), {}, 8);
    maxStepCaption = control<QLabel>(runDateFrame, "Label15", QRect(318, 34, 80, 16), {}, 31);
    maxStepCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    maxStepEdit = control<QSpinBox>(runDateFrame, "Text1", QRect(402, 31, 50, 22));
    maxStepEdit->setRange(1, ViewerModel::LastMaxStep);
    maxStepEdit->setValue(ViewerModel::DefaultMaxStep);
    // Typing 40 is not a maximum of 4 on the way: the value counts once the edit ends.
    maxStepEdit->setKeyboardTracking(false);
    maxStepCaption->setBuddy(maxStepEdit);

    statusFrame = container<QGroupBox>(currentRunFrame, "Frame6", tw(2190, 1350, 6885, 705), {}, 9);
    statusLabel = control<QLabel>(statusFrame, "Label3", QRect(8, 22, 262, 16), {}, 10);
    progressOutline = control<QFrame>(statusFrame, "tour", tw(4170, 270, 2355, 240));
    progressOutline->setFrameShape(QFrame::Box);
    progressOutline->hide();  // shown only while a transfer runs
    // Inside the outline; only its width changes.
    progressFill = control<QWidget>(statusFrame, "tour2", tw(4185, 285, 0, 210));
    setBackground(progressFill, QColor(255, 128, 128));  // &H008080FF
    progressFill->hide();
    // Beside the bar, like a browser's stop: shown while anything is fetched.
    stopButton = control<QToolButton>(statusFrame, "stopButton", QRect(437, 16, 20, 20), QStringLiteral("✕"));
    stopButton->setAutoRaise(true);
    stopButton->hide();

    const int corner = A::FollowRight | A::FollowBottom;
    // Two pixels shorter than designed, so that it does not reach under the next one.
    currentRunOption = control<QRadioButton>(this, "Option8", QRect(683, 447, 123, 16), {}, 26, corner);
    archiveOption = control<QRadioButton>(this, "Option9", tw(10230, 6945, 1845, 270), {}, 27, corner);
    currentRunOption->setChecked(true);
    exclusiveGroup(this, {currentRunOption, archiveOption});
}

void Form1::createArchiveControls()
{
    archiveFrame = container<QGroupBox>(this, "Frame7", tw(300, 6330, 9390, 2235), {}, 36, A::FollowBottom);
    archiveFrame->hide();
    yearCaption = control<QLabel>(archiveFrame, "Label28", QRect(8, 24, 52, 16), {}, 35);
    yearCombo = dateList(archiveFrame, "Combo1", 21, false);
    monthCaption = control<QLabel>(archiveFrame, "Label30", QRect(8, 49, 52, 16), {}, 33);
    monthCombo = dateList(archiveFrame, "Combo2", 46, true);
    dayCaption = control<QLabel>(archiveFrame, "Label31", QRect(8, 74, 52, 16), {}, 34);
    dayCombo = dateList(archiveFrame, "Combo3", 71, true);
    archive500Option = control<QRadioButton>(archiveFrame, "Option10", QRect(6, 100, 188, 18), {}, 5);
    archive850Option = control<QRadioButton>(archiveFrame, "Option11", QRect(6, 120, 188, 18), {}, 3);
    archive500Option->setChecked(true);
    exclusiveGroup(this, {archive500Option, archive850Option});

    archiveDayScrollBar = scrollBar(archiveFrame, "HScroll2", tw(3240, 375, 5715, 270), 1, 365, 15);
    archiveDayScrollBar->setValue(1);
    archiveDateCaption = control<QLabel>(archiveFrame, "Label29", QRect(216, 48, 44, 16), {}, 32);
    archiveDateLabel = control<QLabel>(archiveFrame, "Label32", QRect(262, 48, 335, 16));
    animateDaysBox = control<QCheckBox>(archiveFrame, "Check3", QRect(216, 69, 80, 18), {}, 8);
    showArchiveButton = control<QPushButton>(archiveFrame, "Command12", QRect(300, 66, 90, 22), {}, 74);
    archiveStatusFrame = container<QGroupBox>(archiveFrame, "Frame8", tw(2970, 1350, 6255, 720), {}, 9);
    archiveStatusLabel = control<QLabel>(archiveStatusFrame, "Label33", QRect(8, 22, 400, 16));
}

void Form1::createCommandControls()
{
    const int bottom = A::FollowBottom;
    // A little narrower than designed, so that the four buttons stand apart.
    refreshRunButton = control<QPushButton>(this, "Command10", QRect(24, 578, 84, 27), {}, 11, bottom);
    probeRunButton = control<QPushButton>(this, "Command2", QRect(111, 578, 141, 27), {}, 12, bottom);
    deleteRunButton = control<QPushButton>(this, "Command1", QRect(255, 578, 96, 27), {}, 13, bottom);
    downloadAllButton = control<QPushButton>(this, "Command15", tw(5310, 8685, 1470, 390), {}, 14, bottom);
    // The design widths clip the captions.
    lowBandwidthBox = control<QCheckBox>(this, "Check2", QRect(501, 580, 172, 13), {}, 15, bottom);
    valueBoxCheck = control<QCheckBox>(this, "Check4", QRect(501, 600, 172, 13), {}, 16, bottom);
    valueBoxCheck->setChecked(true);

    const int corner = A::FollowRight | A::FollowBottom;
    exportImageButton = control<QPushButton>(this, "exportImageButton", QRect(694, 490, 128, 19),
                                             {}, int(Msg::ExportImage), corner);
    exportAnimationButton = control<QPushButton>(this, "exportAnimationButton", QRect(694, 512, 128, 19),
                                                 {}, int(Msg::ExportAnimation), corner);
    helpButton = control<QPushButton>(this, "Command14", tw(10860, 8025, 1290, 285), {}, 28, corner);
    aboutButton = control<QPushButton>(this, "Command13", tw(10875, 8370, 1290, 285), {}, 29, corner);
    // Reaches the window's right and bottom edges, in a slightly smaller type: three lines fit.
    const QRect credit = tw(10245, 8760, 2010, 435);
    creditLabel = control<QLabel>(this, "Label35", QRect(credit.topLeft(), QPoint(formSize().width() - 4, formSize().height() - 1)),
                                  {}, 30, corner);
    creditLabel->setFont(designFont(7.5, false));
    creditLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    creditLabel->setWordWrap(true);
    spareLabel5 = control<QLabel>(this, "Label5", QRect(680, 500, 100, 16));
    spareLabel5->hide();
}

void Form1::createPlaceControls()
{
    placeFrame = container<QGroupBox>(this, "Frame1", tw(9600, 120, 2745, 1155), {}, 17, A::FollowRight);
    placeHint = control<QLabel>(placeFrame, "Label9", QRect(6, 16, 171, 30), {}, 18);
    placeHint->setWordWrap(true);
    placeHint->setAlignment(Qt::AlignCenter);
    computeButton = control<QPushButton>(placeFrame, "Command3", QRect(8, 49, 80, 22), {}, 19);
    meteogramButton = control<QPushButton>(placeFrame, "meteogramButton", QRect(94, 49, 84, 22),
                                           {}, int(Msg::Meteogram));
    placeLabel = control<QLabel>(placeFrame, "Label4", QRect(6, 52, 44, 16));
    placeLabel->hide();
    spareLabel1 = control<QLabel>(placeFrame, "Label1", QRect(136, 52, 42, 16));
    spareLabel1->hide();

    // Both panels line up under the place frame, at its width.
    nowPanel = createPanel("Frame3", {}, 20, tw(9600, 1290, 2745, 2400),
                           {"picto1", "Label7", "Label6", "Label8", "Label16", "Label17", "Label18", "Label19", "Label24", "Label25"}, "nowPanelHint");
    stepPanel = createPanel("Frame4", msg(Msg::StepFrameStart), 0, tw(9600, 3840, 2745, 2400),
                            {"picto2", "Label13", "Label10", "Label12", "Label20", "Label21", "Label22", "Label23", "Label26", "Label27"}, "stepPanelHint");
}

// Both panels: pictogram and big temperature on the left, caption/value pairs on the right.
// names: pictogram, temperature, then caption and value of each quantity.
Form1::ForecastPanel Form1::createPanel(const char *frameName, const QString &title, int tag, QRect rect,
                                        const std::array<const char *, 10> &names, const char *hintName)
{
    const QString zero = QStringLiteral("0");
    const QString values[4] = {zero + msg(Msg::PrecipitationUnit), zero + msg(Msg::PercentUnit),
                               QStringLiteral("0°C"), zero + msg(Msg::WindUnit)};
    ForecastPanel panel;
    panel.frame = container<QGroupBox>(this, frameName, rect, title, tag, A::FollowRight);
    // Until a place is chosen the panel says how to choose one; its values come after.
    panel.hint = control<QLabel>(panel.frame, hintName, QRect(8, 20, rect.width() - 16, rect.height() - 28),
                                 {},
                                 int(Msg::ChooseAPlace));
    panel.hint->setWordWrap(true);
    panel.hint->setAlignment(Qt::AlignCenter);
    panel.pictogram = control<PictureBox>(panel.frame, names[0], QRect(8, 22, 56, 56));
    panel.pictogram->setBackColor(palette().color(QPalette::Window));
    panel.temperature = control<QLabel>(panel.frame, names[1], QRect(2, 84, 68, 28), QStringLiteral("0°C"));
    panel.temperature->setAlignment(Qt::AlignCenter);
    for (int i = 0; i < 4; ++i) {
        panel.captions[i] = control<QLabel>(panel.frame, names[2 + 2 * i], QRect(70, 18 + 34 * i, 108, 16), {}, 21 + i);
        panel.values[i] = control<QLabel>(panel.frame, names[3 + 2 * i], QRect(70, 33 + 34 * i, 108, 16), values[i]);
        panel.values[i]->setAlignment(Qt::AlignCenter);
    }
    showPanelValues(panel, false);
    return panel;
}
