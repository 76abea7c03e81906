// "Météogramme": one window, kept once opened, that follows the place and the step.
#include "viewer/form1.h"
#include "viewer/meteogramwindow.h"

#include "forecast/pointforecast.h"
#include "shell/messages.h"

void Form1::openMeteogram()
{
    // The panels' place counts once the user chose it (a click, or "Calculer").
    if (!m_placeChosen) {
        showStatus(msg(Msg::MeteogramNoPlace));
        return;
    }
    if (!m_meteogram) {
        m_meteogram = new MeteogramWindow(*m_service, this);
        connect(m_meteogram, &MeteogramWindow::stepChosen, &m_model, &ViewerModel::setStep);
        connect(&m_model, &ViewerModel::stepChanged, m_meteogram, &MeteogramWindow::setSelectedStep);
        const auto follow = [this] {
            if (m_meteogram->isVisible())
                showMeteogramPlace();
        };
        connect(&m_model, &ViewerModel::placeChanged, m_meteogram, follow);
        connect(&m_model, &ViewerModel::maxStepChanged, m_meteogram, follow);
        // First over the main window; where the user moves it afterwards it stays.
        QRect frame(QPoint(), m_meteogram->size());
        frame.moveCenter(frameGeometry().center());
        m_meteogram->move(frame.topLeft());
    }
    showMeteogramPlace();
    m_meteogram->show();
    m_meteogram->raise();
    m_meteogram->activateWindow();
}

// In archive mode too the meteogram is of the current run, as the panels are.
void Form1::showMeteogramPlace()
{
    m_meteogram->showPlace(panelInputs(m_model.step()), m_model.maxStep());
    m_meteogram->setSelectedStep(m_model.step());
}
