// Form1's controls: creation, design captions, tags, colours and geometry.
// Positions the design gives in twips are kept (15 twips to a pixel); controls it leaves
// unplaced are laid out here in pixels.
#include "viewer/form1.h"
#include "viewer/picturebox.h"
#include "viewer/windowicon.h"

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

int px(int twips) { return twipsToPixels(twips); }

void placeTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsRect(left, top, width, height));
}

// A control under its design name, with its design caption and, when given, its message number.
template <class T>
T *control(QWidget *parent, const char *name, const QString &caption = {}, int tag = 0)
{
    T *w = new T(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (std::is_same_v<T, QGroupBox>)
        w->setTitle(caption);
    else if constexpr (requires { w->setText(caption); })
        w->setText(caption);
    if (tag > 0)
        w->setProperty("tag", QString::number(tag));
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

QScrollBar *scrollBar(QWidget *parent, const char *name, int min, int max, int pageStep)
{
    auto *bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(min, max);
    bar->setSingleStep(1);
    bar->setPageStep(pageStep);
    // Change fires on release, Scroll while dragging, as in the design.
    bar->setTracking(false);
    return bar;
}

QButtonGroup *exclusiveGroup(QObject *owner, std::initializer_list<QRadioButton *> options)
{
    auto *group = new QButtonGroup(owner);
    group->setExclusive(true);
    for (QRadioButton *o : options)
        group->addButton(o);
    return group;
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
    setWindowTitle(QStringLiteral("Cartavent - "));
    setWindowIcon(cartaventIcon());
    setFixedSize(px(FormWidthTwips), px(FormHeightTwips));
    applyFonts();

    // Map display and its overlays.
    Picture1 = control<PictureBox>(this, "Picture1");
    placeTwips(Picture1, 285, 195, 8160, 6000);
    Picture1->setBackColor(Qt::black);
    Picture1->setForeColor(Qt::white);
    Picture1->setMouseTracking(true);

    Command11 = control<QPushButton>(Picture1, "Command11", QStringLiteral("Copie URL"), 37);
    placeTwips(Command11, 120, 5580, 1155, 285);

    Picture2 = control<PictureBox>(Picture1, "Picture2");
    placeTwips(Picture2, 6600, 4635, 1425, 1260);
    Picture2->setBackColor(QColor(128, 128, 128));
    Command4 = control<QPushButton>(Picture2, "Command4", QStringLiteral("Zoom +"), 38);
    placeTwips(Command4, 15, 60, 690, 285);
    Command5 = control<QPushButton>(Picture2, "Command5", QStringLiteral("Zoom -"), 39);
    placeTwips(Command5, 690, 60, 660, 285);
    Command6 = control<QPushButton>(Picture2, "Command6", QStringLiteral("H"), 40);
    placeTwips(Command6, 540, 420, 345, 315);
    Command7 = control<QPushButton>(Picture2, "Command7", QStringLiteral("B"), 41);
    placeTwips(Command7, 540, 855, 345, 315);
    Command8 = control<QPushButton>(Picture2, "Command8", QStringLiteral("<"));
    placeTwips(Command8, 165, 645, 345, 315);
    Command9 = control<QPushButton>(Picture2, "Command9", QStringLiteral(">"));
    placeTwips(Command9, 915, 630, 345, 315);

    Label34 = control<QLabel>(Picture1, "Label34");
    placeTwips(Label34, 2550, 1320, 660, 240);
    setBackground(Label34, Qt::black);
    setTextColour(Label34, QColor(192, 255, 255));
    Label34->setAlignment(Qt::AlignCenter);
    Label34->hide();

    Picture5 = control<PictureBox>(this, "Picture5");
    placeTwips(Picture5, 8640, 225, 735, 5970);
    Picture5->setBackColor(Qt::black);

    // Hidden holders take the size of the picture put into them.
    Picture3 = control<PictureBox>(this, "Picture3");
    Picture3->setAutoSize(true);
    Picture3->hide();
    Picture4 = control<PictureBox>(this, "Picture4");
    Picture4->setAutoSize(true);
    Picture4->hide();

    // Current-run selection.
    Frame2 = control<QGroupBox>(this, "Frame2");
    placeTwips(Frame2, 315, 6255, 9390, 2310);
    Label11 = control<QLabel>(Frame2, "Label11", QStringLiteral("Type de carte :"), 101);
    Label11->setGeometry(8, 12, 134, 16);
    Option1 = control<QRadioButton>(Frame2, "Option1", QStringLiteral("Températures"), 100);
    Option3 = control<QRadioButton>(Frame2, "Option3", QStringLiteral("Précipitation"), 1);
    Option2 = control<QRadioButton>(Frame2, "Option2", QStringLiteral("Nébulosité"), 2);
    Option4 = control<QRadioButton>(Frame2, "Option4", QStringLiteral("Température à 850hPa"), 3);
    Option5 = control<QRadioButton>(Frame2, "Option5", QStringLiteral("Orages J/kg"), 4);
    Option6 = control<QRadioButton>(Frame2, "Option6", QStringLiteral("Geopotentiel 500hPa"), 5);
    Option7 = control<QRadioButton>(Frame2, "Option7", QStringLiteral("Vents"), 6);
    {
        int y = 29;
        for (QRadioButton *o : {Option1, Option3, Option2, Option4, Option5, Option6, Option7}) {
            o->setGeometry(6, y, 140, 17);
            y += 17;
        }
    }
    Option1->setChecked(true);
    KindGroup = exclusiveGroup(this, {Option1, Option2, Option3, Option4, Option5, Option6, Option7});

    Frame5 = control<QGroupBox>(Frame2, "Frame5", QStringLiteral("Date du run :"), 7);
    placeTwips(Frame5, 2190, 345, 6885, 915);
    Label14 = control<QLabel>(Frame5, "Label14");
    Label14->setGeometry(8, 15, 443, 16);
    Label2 = control<QLabel>(Frame5, "Label2", QStringLiteral("0h"));
    Label2->setGeometry(4, 34, 34, 16);
    Label2->setAlignment(Qt::AlignCenter);
    HScroll1 = scrollBar(Frame5, "HScroll1", 0, 30, 1);
    placeTwips(HScroll1, 600, 480, 2955, 300);
    Check1 = control<QCheckBox>(Frame5, "Check1", QStringLiteral("Animer"), 8);
    Check1->setGeometry(244, 33, 72, 18);
    Label15 = control<QLabel>(Frame5, "Label15", QStringLiteral("Max échéance :"), 31);
    Label15->setGeometry(318, 34, 96, 16);
    Label15->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Text1 = control<QLineEdit>(Frame5, "Text1", QStringLiteral("30"));
    Text1->setGeometry(418, 31, 34, 22);

    Frame6 = control<QGroupBox>(Frame2, "Frame6", QStringLiteral("Etat :"), 9);
    placeTwips(Frame6, 2190, 1350, 6885, 705);
    Label3 = control<QLabel>(Frame6, "Label3", QStringLiteral("Idle"), 10);
    Label3->setGeometry(8, 22, 262, 16);
    tour = control<QFrame>(Frame6, "tour");
    tour->setFrameShape(QFrame::Box);
    placeTwips(tour, 4170, 270, 2355, 240);
    tour->hide();  // shown only while a transfer runs
    tour2 = control<QWidget>(Frame6, "tour2");
    placeTwips(tour2, 4185, 285, 0, 210);  // only its width changes
    setBackground(tour2, QColor(255, 128, 128));  // &H008080FF
    tour2->hide();
    // Beside the bar, like a browser's stop: shown while anything is fetched.
    stopButton = control<QToolButton>(Frame6, "stopButton");
    stopButton->setText(QStringLiteral("✕"));
    stopButton->setAutoRaise(true);
    stopButton->setGeometry(437, 16, 20, 20);
    stopButton->hide();

    // Mode selection and archive browsing.
    Option8 = control<QRadioButton>(this, "Option8", QStringLiteral("Runs Actuels"), 26);
    placeTwips(Option8, 10245, 6705, 1845, 270);
    Option9 = control<QRadioButton>(this, "Option9", QStringLiteral("Archives"), 27);
    placeTwips(Option9, 10230, 6945, 1845, 270);
    Option8->setChecked(true);
    ModeGroup = exclusiveGroup(this, {Option8, Option9});

    Frame7 = control<QGroupBox>(this, "Frame7", QStringLiteral("Archives"), 36);
    placeTwips(Frame7, 300, 6330, 9390, 2235);
    Frame7->hide();
    Label28 = control<QLabel>(Frame7, "Label28", QStringLiteral("Année :"), 35);
    Label28->setGeometry(8, 24, 52, 16);
    Combo1 = control<QComboBox>(Frame7, "Combo1");
    Combo1->setEditable(false);
    Combo1->setGeometry(62, 21, 76, 22);
    Label30 = control<QLabel>(Frame7, "Label30", QStringLiteral("Mois :"), 33);
    Label30->setGeometry(8, 49, 52, 16);
    Combo2 = control<QComboBox>(Frame7, "Combo2");
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);  // a typed value is not added to the list
    Combo2->setEditText(QStringLiteral("1"));
    Combo2->setGeometry(62, 46, 76, 22);
    Label31 = control<QLabel>(Frame7, "Label31", QStringLiteral("Jour :"), 34);
    Label31->setGeometry(8, 74, 52, 16);
    Combo3 = control<QComboBox>(Frame7, "Combo3");
    Combo3->setEditable(true);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    Combo3->setEditText(QStringLiteral("1"));
    Combo3->setGeometry(62, 71, 76, 22);
    Option10 = control<QRadioButton>(Frame7, "Option10", QStringLiteral("Geopotentiel à 500hPa"), 5);
    Option10->setGeometry(6, 100, 188, 18);
    Option11 = control<QRadioButton>(Frame7, "Option11", QStringLiteral("Températures à 850hPa"), 3);
    Option11->setGeometry(6, 120, 188, 18);
    Option10->setChecked(true);
    ArchiveKindGroup = exclusiveGroup(this, {Option10, Option11});

    HScroll2 = scrollBar(Frame7, "HScroll2", 1, 365, 15);
    HScroll2->setValue(1);
    placeTwips(HScroll2, 3240, 375, 5715, 270);
    Label29 = control<QLabel>(Frame7, "Label29", QStringLiteral("Date :"), 32);
    Label29->setGeometry(216, 48, 44, 16);
    Label32 = control<QLabel>(Frame7, "Label32");
    Label32->setGeometry(262, 48, 335, 16);
    Check3 = control<QCheckBox>(Frame7, "Check3", QStringLiteral("Animer"), 8);
    Check3->setGeometry(216, 69, 80, 18);
    Command12 = control<QPushButton>(Frame7, "Command12", QStringLiteral("Affiche"), 74);
    Command12->setGeometry(300, 66, 90, 22);
    Frame8 = control<QGroupBox>(Frame7, "Frame8", QStringLiteral("Etat :"), 9);
    placeTwips(Frame8, 2970, 1350, 6255, 720);
    Label33 = control<QLabel>(Frame8, "Label33");
    Label33->setGeometry(8, 22, 400, 16);

    // Run commands.
    Command10 = control<QPushButton>(this, "Command10", QStringLiteral("Actualiser le run"), 11);
    placeTwips(Command10, 360, 8670, 1290, 405);
    Command2 = control<QPushButton>(this, "Command2", QStringLiteral("Teste si nouveaux modèles"), 12);
    placeTwips(Command2, 1635, 8670, 2190, 405);
    Command1 = control<QPushButton>(this, "Command1", QStringLiteral("Effacer le run"), 13);
    placeTwips(Command1, 3810, 8670, 1515, 405);
    Command15 = control<QPushButton>(this, "Command15", QStringLiteral("Télécharger tout"), 14);
    placeTwips(Command15, 5310, 8685, 1470, 390);
    Check2 = control<QCheckBox>(this, "Check2", QStringLiteral("Connexion bas debit"), 15);
    placeTwips(Check2, 7515, 8700, 1755, 195);
    Check2->resize(172, Check2->height());  // the design width clips the caption
    Check4 = control<QCheckBox>(this, "Check4", QStringLiteral("Rectangle valeur activé"), 16);
    placeTwips(Check4, 7515, 9000, 2055, 195);
    Check4->resize(172, Check4->height());
    Check4->setChecked(true);

    // Place panel.
    Frame1 = control<QGroupBox>(this, "Frame1", QStringLiteral("Localisation"), 17);
    placeTwips(Frame1, 9600, 120, 2745, 1155);
    Label9 = control<QLabel>(Frame1, "Label9",
                             QStringLiteral("Cliquer sur la carte pour selectionner un lieu"), 18);
    Label9->setGeometry(6, 16, 171, 30);
    Label9->setWordWrap(true);
    Label9->setAlignment(Qt::AlignCenter);
    Command3 = control<QPushButton>(Frame1, "Command3", QStringLiteral("Calculer"), 19);
    Command3->setGeometry(52, 49, 80, 22);
    Label4 = control<QLabel>(Frame1, "Label4");
    Label4->setGeometry(6, 52, 44, 16);
    Label4->hide();
    Label1 = control<QLabel>(Frame1, "Label1");
    Label1->setGeometry(136, 52, 42, 16);

    createPanelControls();

    // Help, about, credits and the hidden labels.
    Command14 = control<QPushButton>(this, "Command14", QStringLiteral("Aide"), 28);
    placeTwips(Command14, 10860, 8025, 1290, 285);
    Command13 = control<QPushButton>(this, "Command13", QStringLiteral("A propos"), 29);
    placeTwips(Command13, 10875, 8370, 1290, 285);
    Label35 = control<QLabel>(this, "Label35", QStringLiteral("Les cartes sont la propriété de leur site d'origine"), 30);
    placeTwips(Label35, 10245, 8760, 2010, 435);
    // A notice in a slightly smaller type: three lines fit when it reaches the window's
    // right and bottom edges.
    Label35->resize(px(FormWidthTwips) - Label35->x() - 3, px(FormHeightTwips) - Label35->y());
    Label35->setFont(designFont(7.5, false));
    Label35->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label35->setWordWrap(true);
    Label36 = control<QLabel>(this, "Label36");
    Label36->setGeometry(px(285) + 200, px(195) + 190, 150, 18);
    setTextColour(Label36, Qt::red);
    Label36->hide();
    Label5 = control<QLabel>(this, "Label5");
    Label5->setGeometry(680, 500, 100, 16);
    Label5->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);

    // Frames reset their children's font (see FrameStyle): give every plain control the
    // window's font explicitly.
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->testAttribute(Qt::WA_SetFont))
            w->setFont(font());
    }
    setBold({Label34, Label11, Label9, Label36, Label6, Label16, Label18, Label24, Label10,
             Label20, Label22, Label26});
    setBold({Label7, Label13}, 13.5);
}

void Form1::createPanelControls()
{
    // The two forecast panels share one layout: pictogram and big temperature on the left,
    // caption/value pairs on the right.
    QLabel *current[8], *forecast[8];
    const QString captions[4] = {QStringLiteral("Précipitations :"), QStringLiteral("Nébulosité"),
                                 QStringLiteral("Temp à 850Pa"), QStringLiteral("Vent moyen")};
    const QString values[4] = {QStringLiteral("0 mm"), QStringLiteral("0%"),
                               QStringLiteral("0°C"), QStringLiteral("0 km/h")};
    const char *currentNames[8] = {"Label6", "Label8", "Label16", "Label17",
                                   "Label18", "Label19", "Label24", "Label25"};
    const char *forecastNames[8] = {"Label10", "Label12", "Label20", "Label21",
                                    "Label22", "Label23", "Label26", "Label27"};

    auto build = [&](QGroupBox *&frame, const char *frameName, const QString &caption, int tag,
                     int left, int top, PictureBox *&picto, const char *pictoName, QLabel *&big,
                     const char *bigName, const char *const names[8], QLabel *labels[8]) {
        frame = control<QGroupBox>(this, frameName, caption, tag);
        placeTwips(frame, left, top, 2715, 2400);
        frame->hide();
        picto = control<PictureBox>(frame, pictoName);
        picto->setGeometry(8, 22, 56, 56);
        picto->setBackColor(palette().color(QPalette::Window));
        big = control<QLabel>(frame, bigName, QStringLiteral("0°C"));
        big->setGeometry(2, 84, 68, 28);
        big->setAlignment(Qt::AlignCenter);
        for (int i = 0; i < 4; ++i) {
            QLabel *head = control<QLabel>(frame, names[2 * i], captions[i], 21 + i);
            head->setGeometry(70, 18 + 34 * i, 108, 16);
            QLabel *value = control<QLabel>(frame, names[2 * i + 1], values[i]);
            value->setGeometry(70, 33 + 34 * i, 108, 16);
            value->setAlignment(Qt::AlignCenter);
            labels[2 * i] = head;
            labels[2 * i + 1] = value;
        }
    };
    build(Frame3, "Frame3", QStringLiteral("Situation actuelle"), 20, 9555, 1290, picto1, "picto1",
          Label7, "Label7", currentNames, current);
    build(Frame4, "Frame4", QStringLiteral("Situation à +6H"), 0, 9600, 3840, picto2, "picto2",
          Label13, "Label13", forecastNames, forecast);
    // The forecast panel's wind caption carries a trailing blank in the design.
    forecast[6]->setText(QStringLiteral("Vent moyen "));

    Label6 = current[0]; Label8 = current[1]; Label16 = current[2]; Label17 = current[3];
    Label18 = current[4]; Label19 = current[5]; Label24 = current[6]; Label25 = current[7];
    Label10 = forecast[0]; Label12 = forecast[1]; Label20 = forecast[2]; Label21 = forecast[3];
    Label22 = forecast[4]; Label23 = forecast[5]; Label26 = forecast[6]; Label27 = forecast[7];
}
