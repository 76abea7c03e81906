#include "tests/support/formharness.h"
#include "viewer/picturebox.h"
#include "shell/language.h"

#include <QtWidgets>
#include <cmath>

namespace {

// The shown text of whichever kind of control this is.
QString caption(const QWidget *w)
{
    for (const char *property : {"title", "text", "currentText"}) {
        const QVariant value = w->property(property);
        if (value.isValid())
            return value.toString();
    }
    return {};
}

} // namespace

class TstForm1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(h.start()); }
    void init() { h.resetSettings(nullptr); }

    void window_data();
    void window();
    void demoServer();
    void captions();
    void modeSwitch();
    void shutdownSaves_data();
    void shutdownSaves();
    void garbagePlace();
    void closedDuringStartUp();

private:
    FormHarness h;
};

// What a user would notice at the default size, in each language: every control shown where
// it can be seen and used, none covering another, each caption whole.
void TstForm1::window_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("French") << Language::french();
    QTest::newRow("English") << "english";
}

void TstForm1::window()
{
    QFETCH(QString, language);
    Language::apply(qEnvironmentVariable("CARTAVENT_DATA_DIR"), language);
    auto form = h.makeForm(false);
    form->show();
    QCOMPARE(form->size(), QSize(828, 623));
    QVERIFY(!form->usesDemoServer());
    const QRect inside = form->rect();
    QStringList problems;
    for (const QWidget *w : form->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString name = w->objectName();
        const QRect place(w->mapTo(form.get(), QPoint()), w->size());
        if (!inside.contains(place))
            problems << name + QStringLiteral(" leaves the window");
        if (!w->parentWidget()->rect().contains(w->geometry()))
            problems << name + QStringLiteral(" leaves its container");
        for (const QWidget *other : w->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            // The map's overlays lie on it by design; a sibling pair is reported once.
            if (other <= w || !other->isVisible() || other->objectName().isEmpty()
                || other->objectName().startsWith(QLatin1String("qt_")))
                continue;
            if (w->geometry().intersects(other->geometry()))
                problems << name + QStringLiteral(" overlaps ") + other->objectName();
        }
        // A caption on one line must fit; a wrapping label has room for its lines.
        const QString text = caption(w);
        const auto *label = qobject_cast<const QLabel *>(w);
        if (!text.isEmpty() && !(label && label->wordWrap())
            && w->fontMetrics().horizontalAdvance(text) > w->width())
            problems << name + QStringLiteral(" clips \"") + text + u'"';
        if (label && label->wordWrap() && label->heightForWidth(label->width()) > label->height() + 1)
            problems << name + QStringLiteral(" clips its lines");
    }
    // The run buttons stand apart, not edge to edge.
    const char *row[] = {"Command10", "Command2", "Command1", "Command15"};
    for (int i = 1; i < 4; ++i) {
        const int gap = FormHarness::ctl(*form, row[i])->x() - FormHarness::ctl(*form, row[i - 1])->geometry().right();
        if (gap < 2)
            problems << QStringLiteral("%1 touches %2").arg(QLatin1String(row[i - 1]), QLatin1String(row[i]));
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
}

// Without hosts on the command line or saved, the window serves the maps from the
// demonstration server it is given, and says so under the map.
void TstForm1::demoServer()
{
    Form1Config config = h.config();
    config.hosts.clear();
    QVERIFY(!Form1(config).usesDemoServer());
    config.demoServer = &h.server;
    Form1 form(config);
    QVERIFY(form.usesDemoServer());
    QCOMPARE(form.service().servers().hosts, QStringList(3, h.server.hostPort()));
}

// Each control's French caption, from the message its design names.
void TstForm1::captions()
{
    auto form = h.makeForm(false);
    const char *rows[][2] = {
        {"Command11", "Copie URL"}, {"Command4", "Zoom +"}, {"Command5", "Zoom -"}, {"Command6", "H"},
        {"Command7", "B"}, {"Command8", "<"}, {"Command9", ">"}, {"Label11", "Type de carte\u00A0:"},
        {"Option1", "Températures"}, {"Option3", "Précipitations"}, {"Option2", "Nébulosité"},
        {"Option4", "Température à 850 hPa"}, {"Option5", "Orages J/kg"}, {"Option6", "Géopotentiel 500 hPa"},
        {"Option7", "Vents"}, {"Frame5", "Date du run\u00A0:"}, {"Check1", "Animer"}, {"Label15", "Max échéance\u00A0:"},
        {"Frame6", "État\u00A0:"}, {"Label3", "Prêt"}, {"Option8", "Runs actuels"}, {"Option9", "Archives"},
        {"Frame7", "Archives"}, {"Label28", "Année\u00A0:"}, {"Label29", "Date\u00A0:"}, {"Label30", "Mois\u00A0:"},
        {"Label31", "Jour\u00A0:"}, {"Check3", "Animer"}, {"Command12", "Affiche"}, {"Option10", "Géopotentiel 500 hPa"},
        {"Option11", "Température à 850 hPa"}, {"Frame8", "État\u00A0:"}, {"Command10", "Actualiser le run"},
        {"Command2", "Teste si nouveaux modèles"}, {"Command1", "Effacer le run"}, {"Command15", "Télécharger tout"},
        {"Check2", "Connexion bas débit"}, {"Check4", "Rectangle valeur activé"}, {"Frame1", "Localisation"},
        {"Label9", "Cliquer sur la carte pour sélectionner un lieu"}, {"Command3", "Calculer"},
        {"Frame3", "Situation actuelle"}, {"Frame4", "Situation à +6H"}, {"Command14", "Aide"}, {"Command13", "À propos"},
        {"Label35", "Les cartes sont la propriété de leur site d'origine"}, {"Label24", "Vent moyen"},
        {"Label26", "Vent moyen"}, {"Label6", "Précipitations\u00A0:"}, {"Label10", "Précipitations\u00A0:"},
        {"Label16", "Nébulosité"}, {"Label20", "Nébulosité"}, {"Label18", "Temp. à 850 hPa"}, {"Label22", "Temp. à 850 hPa"},
    };
    QStringList wrong;
    for (const auto &[name, text] : rows) {
        if (caption(FormHarness::ctl(*form, name)) != QString::fromUtf8(text))
            wrong << QLatin1String(name) + u'=' + caption(FormHarness::ctl(*form, name));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u' ')));
}

// The mode buttons swap the two control groups and leave every other choice alone:
// option buttons of different containers never clear each other.
void TstForm1::modeSwitch()
{
    auto form = h.makeForm(false);
    form->show();
    const auto shown = [&form](const char *name) { return FormHarness::ctl(*form, name)->isVisible(); };
    const auto checked = [&form](const char *name) { return FormHarness::ctl<QRadioButton>(*form, name)->isChecked(); };
    FormHarness::ctl<QRadioButton>(*form, "Option4")->setChecked(true);
    FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(5);

    QTest::mouseClick(FormHarness::ctl<QRadioButton>(*form, "Option9"), Qt::LeftButton);
    QVERIFY(!checked("Option8") && !shown("Frame2") && shown("Frame7") && !shown("Command15"));
    FormHarness::ctl<QRadioButton>(*form, "Option11")->setChecked(true);
    QVERIFY(checked("Option9") && checked("Option4"));

    QTest::mouseClick(FormHarness::ctl<QRadioButton>(*form, "Option8"), Qt::LeftButton);
    QVERIFY(shown("Frame2") && !shown("Frame7") && shown("Command15"));
    QVERIFY(checked("Option4") && checked("Option11"));
    QCOMPARE(FormHarness::ctl<QScrollBar>(*form, "HScroll1")->value(), 5);
}

void TstForm1::shutdownSaves_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("num");
    QTest::newRow("number then letters") << "40abc" << "40";
    QTest::newRow("empty box: the last value") << "" << "30";
}

void TstForm1::shutdownSaves()
{
    QFETCH(QString, text1);
    QFETCH(QString, num);
    auto form = h.makeForm(false);
    form->show();
    FormHarness::typeMaxStep(*form, text1);
    QVERIFY(form->close());
    QCOMPARE(SavedSettings::readText(QStringLiteral("num")), num);
}

// Hand-edited settings: a place no map could hold falls back to the default, text reads as 0.
void TstForm1::garbagePlace()
{
    SavedSettings::writeText(QStringLiteral("dx"), QStringLiteral("1e39"));
    SavedSettings::writeText(QStringLiteral("dy"), QStringLiteral("abc"));
    auto form = h.makeForm();
    const ViewerModel &m = form->model();
    QCOMPARE(m.placeX(), 4000.0f);
    QCOMPARE(m.placeY(), 0.0f);
    QVERIFY(std::isfinite(m.placeX2()) && std::isfinite(m.placeY2()));
}

// A window destroyed while its start-up still waits for the newest-run probe: the probe
// ends with the window, and its end reaches nothing.
void TstForm1::closedDuringStartUp()
{
    h.server.setFault(QStringLiteral("*"), Fault{.delayMs = 300});
    auto form = h.makeForm(false);
    form->Form_Load();
    QVERIFY(!form->startupDone());
    form.reset();
    QTest::qWait(400);
    h.server.clearFaults();
}

QTEST_MAIN(TstForm1)
#include "tst_form1.moc"
