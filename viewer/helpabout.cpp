// "Aide", "A propos" and the help window at start-up.
#include "viewer/form1.h"

#include "viewer/aboutbox.h"
#include "viewer/helpwindow.h"

Form2 *Form1::helpWindow()
{
    if (!m_helpWindow)
        m_helpWindow = std::make_shared<Form2>();
    return m_helpWindow.get();
}

void Form1::Command13_Click()
{
    showAbout(this);
}

void Form1::Command14_Click()
{
    helpWindow()->showHelp();
}
