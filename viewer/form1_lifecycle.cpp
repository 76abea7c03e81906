// Form1's life: start-up, repaint and shutdown.
#include "viewer/form1.h"
#include "viewer/mapdisplay.h"
#include "viewer/picturebox.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "viewer/helpwindow.h"
#include "viewer/translation.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/textutil.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <cmath>

namespace {

constexpr int FirstArchiveYear = 1956;
constexpr int LastArchiveYear = 2005;

// Plain decimal text that the lenient parse reads back unchanged: no exponent, no
// trailing zeros ("4000", "40.5", "-12").
QString decimalText(double value)
{
    QString text = QString::number(value, 'f', 6);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// A saved place coordinate; a value no map could hold (a hand-edited "1e39") gives the
// default place rather than infinities in every later computation.
float savedPlace(const QString &key)
{
    constexpr double DefaultPlace = 4000;
    constexpr double Limit = 1.0e7;  // twips: far beyond any map, well inside float and int
    const double value = SavedSettings::readNumber(key, DefaultPlace);
    return float(std::abs(value) <= Limit ? value : DefaultPlace);
}

} // namespace

void Form1::Form_Load()
{
    EventLog &log = Service->log();

    if (m_config.deleteAll)
        Service->deletePngFiles();
    // A transfer cut short when the program last ended leaves its unfinished copy behind.
    Service->removeStrayTemporaryFiles();
    Service->setHeld(true);
    log.StartLog();

    // Without a complete language file the built-in captions stay: translating from a
    // missing or cut-short table would blank the controls it lacks.
    if (LoadLanguage(m_config.programDir, QStringLiteral("langage")))
        TranslateForm(this);
    if (usesDemoServer())
        Label35->setText(QStringLiteral("Les cartes sont la propriété de ") + demoProviderName());
    stopButton->setToolTip(msg(MsgStopTip));

    Service->servers().SwitchArchiveServer();
    Service->servers().SwitchNormalServer();
    log.AddLog(QStringLiteral("Démarrage"));

    Zoom = 1.0f;
    OffsetX = -2900.0f;
    OffsetY = -3060.0f;

    {
        // Filling the lists is not an edit of the month box.
        const QSignalBlocker blockMonth(Combo2);
        Combo1->clear();
        for (int year = LastArchiveYear; year >= FirstArchiveYear; --year)
            Combo1->addItem(QString::number(year));
        Combo2->clear();
        for (int month = 1; month <= 12; ++month)
            Combo2->addItem(QString::number(month));
        Combo3->clear();
        for (int day = 1; day <= 31; ++day)
            Combo3->addItem(QString::number(day));
        Combo1->setCurrentIndex(1);
    }

    log.AddLog(QStringLiteral("Recupere données sauvegardées"));
    const double help = SavedSettings::readNumber(QStringLiteral("help"), 0);
    const double modem = SavedSettings::readNumber(QStringLiteral("modem"), 0);
    // A first start keeps the box as designed (ticked) rather than clearing it.
    const bool rec = SavedSettings::contains(QStringLiteral("rec"))
        ? SavedSettings::readNumber(QStringLiteral("rec"), 1) != 0
        : Check4->isChecked();

    log.AddLog(QStringLiteral("Initialise modem..."));
    Service->setLowBandwidth(false);
    Check2->setChecked(modem != 0);
    Check4->setChecked(rec);

    log.AddLog(QStringLiteral("initialise les arrays"));
    PlaceX = savedPlace(QStringLiteral("dx"));
    PlaceY = savedPlace(QStringLiteral("dy"));
    Text1->setText(decimalText(SavedSettings::readNumber(QStringLiteral("num"), 30)));

    Legends::instance();
    Label4->setText(decimalText(PlaceX) + QLatin1Char(' ') + decimalText(PlaceY));
    ConvertD1TOD2(PlaceX, PlaceY, PlaceX2, PlaceY2);

    log.AddLog(QStringLiteral("affiche feuille principale"));
    show();

    log.AddLog(QStringLiteral("test affiche feuille help"));
    if (help == 0)
        showStartupHelp();

    Picture1->printText(QStringLiteral("Cliquer sur "));

    log.AddLog(QStringLiteral("Refresh 1 "));
    RefreshPicture();

    log.AddLog(QStringLiteral("Cherche nouveau modèle..."));
    RunProbe *probe = Service->ChercheModele();
    connect(probe, &RunProbe::finished, this, &Form1::finishStartup);
}

// Start-up after the probe: the step display, then the map drawn anew (fetched if it is
// still missing). Each waits for the map it asked for.
void Form1::finishStartup()
{
    EventLog &log = Service->log();
    log.AddLog(QStringLiteral("Fin Cherche nouveau modèle"));
    log.AddLog(QStringLiteral("Debut refresh picture"));
    showStepCaptions();
    refreshPicture(false, [this] {
        Service->log().AddLog(QStringLiteral("Fin refresh picture"));
        Service->setHeld(false);
        OldLoaded.clear();
        refreshPicture(false, [this] {
            m_startupDone = true;
            Q_EMIT startupFinished();
        });
    });
}

void Form1::showStartupHelp()
{
    // Unattended runs (screenshots, tests) must not wait for a click: it closes at once.
    helpWindow()->showModalAtStartup(m_config.unattended ? 0 : -1);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Redraw once after the window shows (or is restored), outside any paint event:
    // drawing the map from a paint event would paint again and never end.
    if (m_paintPending)
        return;
    m_paintPending = true;
    QTimer::singleShot(0, this, [this] {
        m_paintPending = false;
        Form_Paint();
    });
}

void Form1::Form_Paint()
{
    // A map on its way is shown when it arrives.
    if (!Service->held() && !m_loading)
        RefreshPicture();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
    if (m_helpWindow)
        m_helpWindow->hide();
    // The application ends normally: the cancelled transfers remove their temporary files.
    if (m_config.endProcessOnClose)
        QCoreApplication::quit();
}

void Form1::Form_Unload()
{
    SavedSettings::writeText(QStringLiteral("dx"), decimalText(PlaceX));
    SavedSettings::writeText(QStringLiteral("dy"), decimalText(PlaceY));
    SavedSettings::writeText(QStringLiteral("num"), decimalText(parseLenient(Text1->text())));
    Timer1->stop();
    Service->cancelAll();
}
