// The language of the interface: chosen at start-up or in the help window, and every text
// of both windows written anew in it while they are shown.
#include "viewer/form1.h"
#include "viewer/helpwindow.h"
#include "viewer/translation.h"

#include "core/displaytext.h"
#include "retrieval/mapbatch.h"
#include "shell/language.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

// A language that cannot be had leaves French in force and says so: on the terminal, and in
// a box for whoever sits at the window.
void Form1::useLanguage(const QString &name)
{
    const Language::Outcome outcome = Language::apply(m_config.programDir, name);
    if (!outcome.warning.isEmpty()) {
        qWarning("%s", qUtf8Printable(outcome.warning));
        showMessage(outcome.warning, false);
    }
    m_model.setLanguage(outcome.name);
}

// The user's choice: kept for the next start, in force at once. The status lines told of
// what happened in the language before; they now tell of the change.
void Form1::chooseLanguage(const QString &name)
{
    useLanguage(name);
    SavedSettings::writeText(Language::SettingKey, m_model.language());
    showStatus(msg(Msg::LanguageNote));
    archiveStatusLabel->setText(msg(Msg::LanguageNote));
}

void Form1::retranslate()
{
    // The progress of "Télécharger tout" is a number, not a caption to translate.
    const QString downloadProgress = downloadAllButton->text();
    TranslateForm(this);
    if (m_downloadAll)
        downloadAllButton->setText(downloadProgress);
    if (usesDemoServer())
        creditLabel->setText(msg(Msg::DemoCredit));
    applyToolTips();
    showTitle(m_model.selection());
    zoomLabel->setText(m_model.zoomText());
    archiveDateLabel->setText(longDate(m_model.archiveDate()));
    if (m_stepShown)
        showStepCaptions(m_model.step());
    else
        stepPanel.frame->setTitle(msg(Msg::StepFrameStart));
    if (m_placeChosen)
        fillPanels(m_model.step());
    if (m_note)
        showNote(m_note, m_noteProblem);
    valueBox->hide();  // its value was written the old way
    if (m_helpWindow)
        m_helpWindow->setLanguage(m_model.language());
}
