#pragma once
// Form1, the main window: a view of the ViewerModel. It creates the controls, lays them
// out, wires them to the model and to retrieval, and draws what the model says.
//
// Every control keeps its design name as objectName (translation tags, tests and the log
// use it); the code calls it by its role. A tagged control's caption is its message; the
// table shows the French ones.
//
//  design name  role                   caption
//  -- map ---------------------------------------------------------------------------------
//  Picture1     mapPicture             (the map, black)
//  Picture2     navigationPad          (grey pad on the map)
//  Command4     zoomInButton           Zoom +
//  Command5     zoomOutButton          Zoom -
//  Command6     panUpButton            H
//  Command7     panDownButton          B
//  Command8     panLeftButton          <
//  Command9     panRightButton         >
//  Command11    copyAddressButton      Copie URL
//  fitViewButton   fitViewButton       Vue entière
//  homeViewButton  homeViewButton      Vue initiale
//  zoomLabel    zoomLabel              ×1 (the zoom, or the percentage of a fitted view)
//  Label34      valueBox               (value under the pointer)
//  Label36      mapNote                (Chargement… / Pas d'image!)
//  Picture5     legendStrip            (legend copied from the map)
//  Picture3     mapHolder              (hidden: the map as loaded)
//  Picture4     workPicture            (hidden: the last map the point forecast read)
//  -- current run (Frame2) ----------------------------------------------------------------
//  Frame2       currentRunFrame
//  Label11      kindCaption            Type de carte :
//  Option1, 3, 2, 4, 5, 6, 7            by kind number: kindOptions[0..6]
//               kindOptions[k]         Températures, Précipitations, Nébulosité,
//                                      Température à 850 hPa, Orages J/kg,
//                                      Géopotentiel 500 hPa, Vents
//  Frame5       runDateFrame           Date du run :
//  Label14      stepDateLabel          (date and hour of the step)
//  Label2       stepHoursLabel         0h
//  HScroll1     stepScrollBar
//  Check1       animateStepsBox        Animer
//  Label15      maxStepCaption         Max échéance :
//  Text1        maxStepEdit            30 (spin box, 1 to 64)
//  Frame6       statusFrame            État :
//  Label3       statusLabel            Prêt
//  tour, tour2  progressOutline, progressFill
//  stopButton   stopButton             ✕
//  -- mode --------------------------------------------------------------------------------
//  Option8      currentRunOption       Runs actuels
//  Option9      archiveOption          Archives
//  -- archives (Frame7) -------------------------------------------------------------------
//  Frame7       archiveFrame           Archives
//  Label28      yearCaption            Année :
//  Combo1       yearCombo
//  Label30      monthCaption           Mois :
//  Combo2       monthCombo             1
//  Label31      dayCaption             Jour :
//  Combo3       dayCombo               1
//  Option10     archive500Option       Géopotentiel à 500 hPa
//  Option11     archive850Option       Températures à 850 hPa
//  HScroll2     archiveDayScrollBar
//  Label29      archiveDateCaption     Date :
//  Label32      archiveDateLabel
//  Check3       animateDaysBox         Animer
//  Command12    showArchiveButton      Affiche
//  Frame8       archiveStatusFrame     État :
//  Label33      archiveStatusLabel
//  -- run commands ------------------------------------------------------------------------
//  Command10    refreshRunButton       Actualiser le run
//  Command2     probeRunButton         Teste si nouveaux modèles
//  Command1     deleteRunButton        Effacer le run
//  Command15    downloadAllButton      Télécharger tout
//  Check2       lowBandwidthBox        Connexion bas débit
//  Check4       valueBoxCheck          Rectangle valeur activé
//  -- place and point forecast ------------------------------------------------------------
//  Frame1       placeFrame             Localisation
//  Label9       placeHint              Cliquer sur la carte pour sélectionner un lieu
//  Command3     computeButton          Calculer
//  meteogramButton meteogramButton    Météogramme (key M)
//  Label4       placeLabel             (hidden: the place in twips)
//  Label1, Label5  (blank, kept for the language file)
//  Frame3       nowPanel.frame         Situation actuelle
//  Frame4       stepPanel.frame        Situation à +6H
//  nowPanelHint, stepPanelHint  *.hint  (how to choose a place, until one is)
//  picto1/2     *.pictogram
//  Label7/13    *.temperature          0°C
//  Label6/10, Label8/12    *.captions[0], *.values[0]    Précipitations :, 0 mm
//  Label16/20, Label17/21  *.captions[1], *.values[1]    Nébulosité, 0%
//  Label18/22, Label19/23  *.captions[2], *.values[2]    Temp. à 850 hPa, 0°C
//  Label24/26, Label25/27  *.captions[3], *.values[3]    Vent moyen, 0 km/h
//  -- help --------------------------------------------------------------------------------
//  exportImageButton      exportImageButton      Exporter l'image…
//  exportAnimationButton  exportAnimationButton  Exporter l'animation…
//  Command14    helpButton             Aide
//  Command13    aboutButton            À propos
//  Label35      creditLabel            Les cartes sont la propriété de leur site d'origine
//  Timer1       animationTimer         (500 ms)
#include "core/viewermodel.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QDateTime;
struct ExportResult;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;
class QTimer;
class QToolButton;
class AnimationExport;
class DemoMapServer;
class DesignLayout;
class Form2;
class MapBatch;
class MeteogramWindow;
class PictureBox;
struct PanelInputs;
class RetrievalService;

struct Form1Config {
    QString cacheDir;        // map cache and log.txt
    QString programDir;      // langage.txt, lisezmoi.txt, picto/
    QStringList hosts;       // --hosts; empty: the saved hosts, else the demonstration server
    QString language;        // --language; empty: the saved choice, else French
    bool deleteAll = false;  // "deleteall" on the command line
    bool unattended = false; // never wait on a modal window (screenshots, tests)
    bool endProcessOnClose = false;  // closing the window ends the application
    // Serves the maps when no host is given or saved; the window does not own it.
    DemoMapServer *demoServer = nullptr;
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Form1Config &config, QWidget *parent = nullptr);
    ~Form1() override;

    // True when no host was configured and the demonstration server serves the maps.
    bool usesDemoServer() const { return m_usesDemoServer; }
    // The state shown: ask it to change and the window follows.
    ViewerModel &model() { return m_model; }
    const ViewerModel &model() const { return m_model; }
    RetrievalService &service() const { return *m_service; }

    // Start-up: runs once, after construction. Its last steps follow the newest-run probe;
    // startupFinished() says when they are done.
    void Form_Load();
    bool startupDone() const { return m_startupDone; }
    // The map display waits for the selected map to arrive.
    bool isLoading() const { return m_model.loading(); }

    // The map drawn anew, fetched first when the cache lacks it.
    void RefreshPicture();
    // Cache name of the map on display; empty while none is.
    QString shownMapName() const { return m_shownName; }

Q_SIGNALS:
    void startupFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct ForecastPanel {
        QGroupBox *frame;
        PictureBox *pictogram;
        QLabel *temperature;
        std::array<QLabel *, 4> captions;  // precipitation, cloud cover, 850 hPa, wind
        std::array<QLabel *, 4> values;
        QLabel *hint;  // until a place is chosen
    };

    // form1_layout.cpp
    void createControls();
    void createMapControls();
    void createCurrentRunControls();
    void createArchiveControls();
    void createCommandControls();
    void createPlaceControls();
    ForecastPanel createPanel(const char *frameName, const QString &title, int tag, QRect rect,
                              const std::array<const char *, 10> &names, const char *hintName);
    void applyFonts();
    void applyToolTips();

    // form1.cpp: wiring
    void connectChoices();
    void connectCommands();
    void connectModel();
    void connectService();
    void setUpHosts();
    void centreOnScreen();
    void showMessage(const QString &text, bool information);
    void showStatus(const QString &text);

    // languagechoice.cpp
    void useLanguage(const QString &name);
    void chooseLanguage(const QString &name);
    void retranslate();

    // form1_lifecycle.cpp
    void loadSettings();
    void fillArchiveLists();
    void showStartupHelp();
    void finishStartup();
    void saveSettings();
    void restoreWindowGeometry();
    Form2 *helpWindow();

    // mapdisplay.cpp
    void refreshPicture(bool retrying, const std::function<void()> &done);
    void fetchSelectedMap(const MapSelection &selection, const std::function<void(bool cancelled)> &then);
    void loadSelectedMap(int call, const MapSelection &selection, const QString &name, bool retrying,
                         bool cancelled, const std::function<void()> &done);
    void showSelectedMap(const MapSelection &selection);
    void showLoadingNote(bool loading);
    void showNote(int message, bool problem);
    void showTitle(const MapSelection &selection);
    void paintMap(const QImage &map);
    void drawPlaceMarker();
    void paintLegendStrip(const QImage &map, bool archive);

    // Handlers, by what the user does.
    void showMode(ViewerModel::Mode mode);          // form1.cpp
    void showStep(int step);                        // steps.cpp
    void showStepCaptions(int step);
    void previewStep(int position);
    void showArchiveDate();                         // archive.cpp
    void previewArchiveDay(int position);
    void refuseArchiveDate(int year, int month, int day);
    MapBatch *fetchArchive(const MapSelection &selection);
    void chooseYear(const QString &text);
    void chooseMonth(const QString &text);
    void chooseDay(const QString &text);
    void readValueAt(float x, float y);             // valuebox.cpp
    void placeValueBox(QPointF pointer);
    void pressOnMap(Qt::MouseButton button, QPointF pixel);  // mapmouse.cpp
    void moveOnMap(Qt::MouseButtons buttons, float x, float y);
    void releaseOnMap(Qt::MouseButton button, float x, float y);
    void turnWheel(int angleDelta, QPointF pixel);
    void choosePlace(float x, float y);             // place.cpp
    void showPlace();
    // A view change that follows the hand (drag, wheel, resize): drawn at once, no log line.
    template <class Change>
    void changeViewLive(Change change)
    {
        m_liveView = true;
        change();
        m_liveView = false;
    }
    void showView();                                // mapdisplay.cpp
    void redrawMap();
    void computeForecast();                         // panels.cpp
    PanelInputs panelInputs(int step) const;
    void fillPanels(int step);
    void fillPanel(const ForecastPanel &panel, bool series, int step);
    static void showPanelValues(const ForecastPanel &panel, bool shown);
    void probeRun();                                // runcommands.cpp
    void refreshRun();
    void deleteRun();
    void toggleDownloadAll();
    void setMaxStep(int step);
    bool refusedWhileBusy();
    void openMeteogram();                           // meteogramcommands.cpp
    void showMeteogramPlace();
    void exportImage();                             // exportcommands.cpp
    void exportAnimation();
    void startAnimationExport(const MapKind *kind, const QString &path);
    QStringList exportCaption(const MapSelection &selection, const QDateTime &now) const;
    void showExportOutcome(const QString &text);
    void showExportResult(const ExportResult &result);
    void copyAddress();                             // form1.cpp
    void watchKeys();                               // keys.cpp
    bool viewerKey(const QKeyEvent &key);
    void stepBy(int delta);

    Form1Config m_config;
    ViewerModel m_model;
    RetrievalService *m_service;
    bool m_usesDemoServer = false;
    bool m_paintPending = false;
    bool m_startupDone = false;
    QString m_shownName;  // cache name of the map in mapHolder; empty after a failed load
    int m_refreshCount = 0;  // display attempts so far: one overtaken by a newer one stops
    int m_panelRequest = 0;
    bool m_placeChosen = false;  // the panels follow the place and the step from then on
    // The mouse over the map, in its pixels.
    QPointF m_pressedAt, m_dragAt;
    bool m_pressed = false;
    bool m_dragging = false;
    int m_wheelAngle = 0;
    bool m_liveView = false;
    bool m_stepShown = false;  // the step captions replaced the design's
    int m_note = 0;            // the message over the map, 0 for none
    bool m_noteProblem = false;
    QPointer<MapBatch> m_downloadAll;
    QPointer<AnimationExport> m_animationExport;  // one at a time
    std::shared_ptr<Form2> m_helpWindow;  // no owner window: "Aide" shows it beside Form1
    QPointer<MeteogramWindow> m_meteogram;  // one, kept once opened

    // --- controls (see the table above) ---
    DesignLayout *m_layout = nullptr;
    DesignLayout *m_mapLayout = nullptr;
    PictureBox *mapPicture, *navigationPad, *legendStrip, *mapHolder, *workPicture;
    QPushButton *zoomInButton, *zoomOutButton, *panUpButton, *panDownButton, *panLeftButton,
        *panRightButton, *copyAddressButton;
    QPushButton *fitViewButton, *homeViewButton;
    QLabel *valueBox, *mapNote, *zoomLabel;

    QGroupBox *currentRunFrame, *runDateFrame, *statusFrame;
    QLabel *kindCaption, *stepDateLabel, *stepHoursLabel, *maxStepCaption, *statusLabel;
    std::array<QRadioButton *, 7> kindOptions;
    QScrollBar *stepScrollBar;
    QCheckBox *animateStepsBox;
    QSpinBox *maxStepEdit;
    QFrame *progressOutline;
    QWidget *progressFill;
    QToolButton *stopButton;

    QRadioButton *currentRunOption, *archiveOption;

    QGroupBox *archiveFrame, *archiveStatusFrame;
    QLabel *yearCaption, *monthCaption, *dayCaption, *archiveDateCaption, *archiveDateLabel,
        *archiveStatusLabel;
    QComboBox *yearCombo, *monthCombo, *dayCombo;
    QRadioButton *archive500Option, *archive850Option;
    QScrollBar *archiveDayScrollBar;
    QCheckBox *animateDaysBox;
    QPushButton *showArchiveButton;

    QPushButton *refreshRunButton, *probeRunButton, *deleteRunButton, *downloadAllButton;
    QCheckBox *lowBandwidthBox, *valueBoxCheck;

    QGroupBox *placeFrame;
    QLabel *placeHint, *placeLabel, *spareLabel1, *spareLabel5;
    QPushButton *computeButton, *meteogramButton;
    ForecastPanel nowPanel, stepPanel;

    QPushButton *exportImageButton, *exportAnimationButton;
    QPushButton *helpButton, *aboutButton;
    QLabel *creditLabel;
    QTimer *animationTimer;
};
