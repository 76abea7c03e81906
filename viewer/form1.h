#pragma once
// Form1, the main window: its controls under their design names, the viewer state and the
// event handlers. Handlers stay small; the operations they call live with their subsystem.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QToolButton;
class DemoMapServer;
class Form2;
class MapBatch;
class PictureBox;
class RetrievalService;
struct MapSelection;

struct Form1Config {
    QString cacheDir;        // map cache and log.txt
    QString programDir;      // langage.txt, lisezmoi.txt, picto/
    QStringList hosts;       // --hosts; empty: the saved hosts, else the demonstration server
    bool deleteAll = false;  // "deleteall" on the command line
    bool unattended = false; // never wait on a modal window (screenshots, tests)
    bool endProcessOnClose = false;  // closing the window ends the application
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Form1Config &config, QWidget *parent = nullptr);
    ~Form1() override;

    const Form1Config &config() const { return m_config; }
    // True when no host was configured and the built-in demonstration server serves the maps.
    bool usesDemoServer() const;

    // Start-up: runs once, after construction. Its last steps follow the newest-run probe;
    // startupFinished() says when they are done.
    void Form_Load();
    bool startupDone() const { return m_startupDone; }
    // The map display waits for the selected map to arrive.
    bool isLoading() const { return m_loading; }

    // --- viewer state (twips where a position is meant) ---
    float Zoom = 1.0f;
    float OffsetX = -2900.0f;
    float OffsetY = -3060.0f;
    QString OldLoaded;
    float PlaceX = 0, PlaceY = 0;    // domain 1
    float PlaceX2 = 0, PlaceY2 = 0;  // domain 2

    // --- retrieval: the transfers, the servers, cache and log ---
    RetrievalService *Service;

    // --- controls, by design name ---
    PictureBox *Picture1, *Picture2, *Picture3, *Picture4, *Picture5;
    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7,
        *Command8, *Command9, *Command10, *Command11, *Command12, *Command13, *Command14,
        *Command15;
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5, *Frame6, *Frame7, *Frame8;
    QRadioButton *Option1, *Option2, *Option3, *Option4, *Option5, *Option6, *Option7,
        *Option8, *Option9, *Option10, *Option11;
    QCheckBox *Check1, *Check2, *Check3, *Check4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label9, *Label11, *Label14, *Label15,
        *Label28, *Label29, *Label30, *Label31, *Label32, *Label33, *Label34, *Label35, *Label36;
    // Forecast panels Frame3 / Frame4.
    PictureBox *picto1, *picto2;
    QLabel *Label6, *Label7, *Label8, *Label16, *Label17, *Label18, *Label19, *Label24, *Label25;
    QLabel *Label10, *Label12, *Label13, *Label20, *Label21, *Label22, *Label23, *Label26,
        *Label27;
    QScrollBar *HScroll1, *HScroll2;
    QLineEdit *Text1;
    QComboBox *Combo1, *Combo2, *Combo3;
    QFrame *tour;
    QWidget *tour2;
    QToolButton *stopButton;  // cancels what runs (Échap does the same)
    QTimer *Timer1;
    QButtonGroup *KindGroup, *ModeGroup, *ArchiveKindGroup;

    // --- operations ---
    void RefreshPicture();
    void stepAnimationTick();     // Timer1 in current-run mode
    void archiveAnimationTick();  // Timer1 in archive mode
    MapBatch *GetArchive500(int year, int day, int month);
    MapBatch *GetArchive850(int year, int day, int month);
    void Calculer();       // Frame4: the chosen place at HScroll1's step
    void CalculeActual();  // Frame3: the chosen place at step 0
    Form2 *helpWindow();   // created at first use, lives as long as the window

    // --- event handlers ---
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Option8_Click();
    void Option9_Click();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Combo1_Click();
    void Combo2_Change();
    void Combo3_Click();
    void Text1_Change();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void HScroll2_Change();
    void HScroll2_Scroll();
    void Timer1_Timer();
    void Picture1_MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, float X, float Y);
    void Picture1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float X, float Y);
    void Form_Paint();
    void Form_Unload();

Q_SIGNALS:
    void startupFinished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();       // form1_layout.cpp
    void createPanelControls();  // form1_layout.cpp: Frame3 / Frame4
    void applyFonts();           // form1_layout.cpp
    void connectHandlers();
    void connectService();
    void setUpHosts();
    void showStartupHelp();      // the help window at start-up
    void finishStartup();        // what follows the newest-run probe
    void showStepCaptions();     // Label2, Label14, Frame4 for HScroll1's step
    void centreOnScreen();
    void showMessage(const QString &text, bool information);
    void computePanels(int step);

    // The map display (mapdisplay.cpp).
    void refreshPicture(bool retrying, const std::function<void()> &done);
    void fetchSelectedMap(const MapSelection &selection, const std::function<void(bool cancelled)> &then);
    void loadSelectedMap(int call, const MapSelection &selection, const QString &name, bool retrying,
                         bool cancelled, const std::function<void()> &done);
    void showSelectedMap(const MapSelection &selection);
    void showLoadingNote(bool loading);
    void showNote(const QString &text, bool problem);

    Form1Config m_config;
    std::unique_ptr<DemoMapServer> m_demoServer;
    bool m_paintPending = false;
    bool m_loading = false;
    bool m_startupDone = false;
    int refreshCount = 0;  // display attempts so far: one overtaken by a newer one stops
    int m_panelRequest = 0;
    QPointer<MapBatch> m_downloadAll;
    std::shared_ptr<Form2> m_helpWindow;  // no owner window: "Aide" shows it beside Form1
};
