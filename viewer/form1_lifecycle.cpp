// Form1's life: start-up, repaint and shutdown.
#include "viewer/form1.h"
#include "viewer/datafiles.h"
#include "viewer/helpwindow.h"
#include "viewer/picturebox.h"
#include "core/placetext.h"
#include "shell/language.h"

#include "forecast/geometry.h"
#include "forecast/legends.h"
#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/textutil.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cmath>
#include <QTimer>
#include <QToolButton>

void Form1::Form_Load()
{
    EventLog &log = m_service->log();

    if (m_config.deleteAll)
        m_service->deletePngFiles();
    // A transfer cut short when the program last ended leaves its unfinished copy behind.
    m_service->removeStrayTemporaryFiles();
    m_service->setHeld(true);
    log.StartLog();

    // The command line's language, else the one chosen last time.
    useLanguage(Language::choose(m_config.language, SavedSettings::readText(Language::SettingKey)));
    reportMissingDataFiles(m_config.programDir, log);

    m_service->servers().SwitchArchiveServer();
    m_service->servers().SwitchNormalServer();
    log.AddLog(QStringLiteral("Démarrage"));

    fillArchiveLists();

    log.AddLog(QStringLiteral("Recupere données sauvegardées"));
    loadSettings();

    log.AddLog(QStringLiteral("affiche feuille principale"));
    restoreWindowGeometry();
    show();

    log.AddLog(QStringLiteral("test affiche feuille help"));
    if (SavedSettings::readNumber(QStringLiteral("help"), 0) == 0)
        showStartupHelp();

    mapPicture->printText(msg(Msg::ClickOn));

    log.AddLog(QStringLiteral("Refresh 1 "));
    RefreshPicture();

    log.AddLog(QStringLiteral("Cherche nouveau modèle..."));
    RunProbe *probe = m_service->ChercheModele();
    connect(probe, &RunProbe::finished, this, &Form1::finishStartup);
}

void Form1::fillArchiveLists()
{
    // Filling the lists is not an edit of the month box.
    const QSignalBlocker blockMonth(monthCombo);
    yearCombo->clear();
    for (int year = ViewerModel::LastArchiveYear; year >= ViewerModel::FirstArchiveYear; --year)
        yearCombo->addItem(QString::number(year));
    monthCombo->clear();
    for (int month = 1; month <= 12; ++month)
        monthCombo->addItem(QString::number(month));
    dayCombo->clear();
    for (int day = 1; day <= 31; ++day)
        dayCombo->addItem(QString::number(day));
    showArchiveDate();
}

void Form1::loadSettings()
{
    EventLog &log = m_service->log();
    const double modem = SavedSettings::readNumber(QStringLiteral("modem"), 0);
    // A first start keeps the box as designed (ticked) rather than clearing it.
    const bool rec = SavedSettings::contains(QStringLiteral("rec"))
        ? SavedSettings::readNumber(QStringLiteral("rec"), 1) != 0
        : m_model.valueBox();

    log.AddLog(QStringLiteral("Initialise modem..."));
    m_service->setLowBandwidth(false);
    m_model.setLowBandwidth(modem != 0);
    m_model.setValueBox(rec);

    log.AddLog(QStringLiteral("initialise les arrays"));
    const QPointF place(savedPlace(QStringLiteral("dx")), savedPlace(QStringLiteral("dy")));
    const double maxStep = SavedSettings::readNumber(QStringLiteral("num"), ViewerModel::DefaultMaxStep);
    maxStepEdit->setValue(std::isfinite(maxStep) ? int(qBound(1.0, std::round(maxStep), double(ViewerModel::LastMaxStep)))
                                                 : ViewerModel::DefaultMaxStep);

    Legends::instance();
    float x2 = 0, y2 = 0;
    ConvertD1TOD2(float(place.x()), float(place.y()), x2, y2);
    {
        // Start-up draws the map once, later.
        const QSignalBlocker quiet(&m_model);
        m_model.setPlace(float(place.x()), float(place.y()), x2, y2);
    }
    placeLabel->setText(decimalText(place.x()) + QLatin1Char(' ') + decimalText(place.y()));
}

// Start-up after the probe: the step display, then the map drawn anew (fetched if it is
// still missing). Each waits for the map it asked for.
void Form1::finishStartup()
{
    EventLog &log = m_service->log();
    log.AddLog(QStringLiteral("Fin Cherche nouveau modèle"));
    log.AddLog(QStringLiteral("Debut refresh picture"));
    showStep(m_model.step());
    refreshPicture(false, [this] {
        m_service->log().AddLog(QStringLiteral("Fin refresh picture"));
        m_service->setHeld(false);
        m_shownName.clear();
        refreshPicture(false, [this] {
            m_startupDone = true;
            Q_EMIT startupFinished();
        });
    });
}

Form2 *Form1::helpWindow()
{
    if (!m_helpWindow) {
        m_helpWindow = std::make_shared<Form2>();
        m_helpWindow->setLanguage(m_model.language());
        connect(m_helpWindow.get(), &Form2::languageChosen, this, &Form1::chooseLanguage);
    }
    return m_helpWindow.get();
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
        // A map on its way is shown when it arrives.
        if (!m_service->held() && !m_model.loading())
            RefreshPicture();
    });
}

void Form1::closeEvent(QCloseEvent *event)
{
    saveSettings();
    event->accept();
    if (m_helpWindow)
        m_helpWindow->hide();
    // The application ends normally: the cancelled transfers remove their temporary files.
    if (m_config.endProcessOnClose)
        QCoreApplication::quit();
}

// Size, place and maximised state of the last session; a saved state that no longer fits
// (another screen, garbage) leaves the window centred at its default size.
void Form1::restoreWindowGeometry()
{
    const QByteArray saved = QByteArray::fromBase64(SavedSettings::readText(QStringLiteral("geometry")).toLatin1());
    if (saved.isEmpty() || !restoreGeometry(saved)) {
        resize(minimumSize());
        centreOnScreen();
    }
}

void Form1::saveSettings()
{
    SavedSettings::writeText(QStringLiteral("geometry"), QString::fromLatin1(saveGeometry().toBase64()));
    SavedSettings::writeText(QStringLiteral("dx"), decimalText(m_model.placeX()));
    SavedSettings::writeText(QStringLiteral("dy"), decimalText(m_model.placeY()));
    SavedSettings::writeText(QStringLiteral("num"), QString::number(m_model.maxStep()));
    m_model.setAnimating(false);
    m_service->cancelAll();
}
