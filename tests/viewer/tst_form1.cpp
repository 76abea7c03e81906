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
    void controls_data();
    void controls();
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

void TstForm1::controls_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tag");

    struct Row { const char *name, *cls, *parent, *text, *tag; };
    const Row rows[] = {
        {"Command11", "QPushButton", "Picture1", "Copie URL", "37"},
        {"Picture2", "PictureBox", "Picture1", "", ""},
        {"Command4", "QPushButton", "Picture2", "Zoom +", "38"},
        {"Command5", "QPushButton", "Picture2", "Zoom -", "39"},
        {"Command6", "QPushButton", "Picture2", "H", "40"},
        {"Command7", "QPushButton", "Picture2", "B", "41"},
        {"Command8", "QPushButton", "Picture2", "<", ""},
        {"Command9", "QPushButton", "Picture2", ">", ""},
        {"Label34", "QLabel", "Picture1", "", ""},
        {"Frame2", "QGroupBox", "Form1", "", ""},
        {"Label11", "QLabel", "Frame2", "Type de carte\u00A0:", "101"},
        {"Option1", "QRadioButton", "Frame2", "Températures", "100"},
        {"Option3", "QRadioButton", "Frame2", "Précipitations", "1"},
        {"Option2", "QRadioButton", "Frame2", "Nébulosité", "2"},
        {"Option4", "QRadioButton", "Frame2", "Température à 850 hPa", "3"},
        {"Option5", "QRadioButton", "Frame2", "Orages J/kg", "4"},
        {"Option6", "QRadioButton", "Frame2", "Géopotentiel 500 hPa", "5"},
        {"Option7", "QRadioButton", "Frame2", "Vents", "6"},
        {"Frame5", "QGroupBox", "Frame2", "Date du run\u00A0:", "7"},
        {"Label14", "QLabel", "Frame5", "", ""},
        {"HScroll1", "QScrollBar", "Frame5", "", ""},
        {"Label2", "QLabel", "Frame5", "0h", ""},
        {"Check1", "QCheckBox", "Frame5", "Animer", "8"},
        {"Label15", "QLabel", "Frame5", "Max échéance\u00A0:", "31"},
        {"Text1", "QSpinBox", "Frame5", "30", ""},
        {"Frame6", "QGroupBox", "Frame2", "État\u00A0:", "9"},
        {"Label3", "QLabel", "Frame6", "Prêt", "10"},
        {"tour", "QFrame", "Frame6", "", ""},
        {"tour2", "QWidget", "Frame6", "", ""},
        {"Option8", "QRadioButton", "Form1", "Runs actuels", "26"},
        {"Option9", "QRadioButton", "Form1", "Archives", "27"},
        {"Frame7", "QGroupBox", "Form1", "Archives", "36"},
        {"Label28", "QLabel", "Frame7", "Année\u00A0:", "35"},
        {"Combo1", "QComboBox", "Frame7", "", ""},
        {"Label29", "QLabel", "Frame7", "Date\u00A0:", "32"},
        {"Label32", "QLabel", "Frame7", "", ""},
        {"HScroll2", "QScrollBar", "Frame7", "", ""},
        {"Label30", "QLabel", "Frame7", "Mois\u00A0:", "33"},
        {"Combo2", "QComboBox", "Frame7", "1", ""},
        {"Label31", "QLabel", "Frame7", "Jour\u00A0:", "34"},
        {"Combo3", "QComboBox", "Frame7", "1", ""},
        {"Check3", "QCheckBox", "Frame7", "Animer", "8"},
        {"Command12", "QPushButton", "Frame7", "Affiche", "74"},
        {"Option10", "QRadioButton", "Frame7", "Géopotentiel 500 hPa", "5"},
        {"Option11", "QRadioButton", "Frame7", "Température à 850 hPa", "3"},
        {"Frame8", "QGroupBox", "Frame7", "État\u00A0:", "9"},
        {"Label33", "QLabel", "Frame8", "", ""},
        {"Command10", "QPushButton", "Form1", "Actualiser le run", "11"},
        {"Command2", "QPushButton", "Form1", "Teste si nouveaux modèles", "12"},
        {"Command1", "QPushButton", "Form1", "Effacer le run", "13"},
        {"Command15", "QPushButton", "Form1", "Télécharger tout", "14"},
        {"Check2", "QCheckBox", "Form1", "Connexion bas débit", "15"},
        {"Check4", "QCheckBox", "Form1", "Rectangle valeur activé", "16"},
        {"Frame1", "QGroupBox", "Form1", "Localisation", "17"},
        {"Label9", "QLabel", "Frame1", "Cliquer sur la carte pour sélectionner un lieu", "18"},
        {"Command3", "QPushButton", "Frame1", "Calculer", "19"},
        {"Frame3", "QGroupBox", "Form1", "Situation actuelle", "20"},
        {"Frame4", "QGroupBox", "Form1", "Situation à +6H", ""},
        {"Command14", "QPushButton", "Form1", "Aide", "28"},
        {"Command13", "QPushButton", "Form1", "À propos", "29"},
        {"Label35", "QLabel", "Form1", "Les cartes sont la propriété de leur site d'origine", "30"},
        {"Label24", "QLabel", "Frame3", "Vent moyen", "24"},
        {"Label26", "QLabel", "Frame4", "Vent moyen", "24"},
    };
    for (const Row &r : rows)
        QTest::newRow(r.name) << r.cls << r.parent << QString::fromUtf8(r.text) << r.tag;

    // Controls without a caption: names, class, parent.
    const char *blank[][3] = {
        {"Picture1 Picture3 Picture4 Picture5", "PictureBox", "Form1"},
        {"Label5 Label36", "QLabel", "Form1"},
        {"Label1 Label4", "QLabel", "Frame1"},
        {"picto1", "PictureBox", "Frame3"},
        {"picto2", "PictureBox", "Frame4"},
    };
    for (const auto &b : blank) {
        for (const QString &name : QString::fromLatin1(b[0]).split(QLatin1Char(' ')))
            QTest::newRow(qPrintable(name)) << b[1] << b[2] << QString() << QString();
    }

    // The two forecast panels hold the same controls: Frame3's name, then Frame4's.
    struct Pair { const char *current, *series, *cls, *text, *tag; };
    const Pair pairs[] = {
        {"Label6", "Label10", "QLabel", "Précipitations\u00A0:", "21"},
        {"Label8", "Label12", "QLabel", "0 mm", ""},
        {"Label16", "Label20", "QLabel", "Nébulosité", "22"},
        {"Label17", "Label21", "QLabel", "0\u00A0%", ""},
        {"Label18", "Label22", "QLabel", "Temp. à 850 hPa", "23"},
        {"Label19", "Label23", "QLabel", "0°C", ""},
        {"Label25", "Label27", "QLabel", "0 km/h", ""},
        {"Label7", "Label13", "QLabel", "0°C", ""},
    };
    for (const Pair &p : pairs) {
        QTest::newRow(p.current) << p.cls << "Frame3" << QString::fromUtf8(p.text) << p.tag;
        QTest::newRow(p.series) << p.cls << "Frame4" << QString::fromUtf8(p.text) << p.tag;
    }
}

void TstForm1::controls()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QString, text);
    QFETCH(QString, tag);

    auto form = h.makeForm(false);
    const QList<QWidget *> found = form->findChildren<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    QWidget *w = found.first();
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->parentWidget()->objectName(), parentName);
    QCOMPARE(caption(w), text);
    QCOMPARE(w->property("tag").toString(), tag);
}

// The mode buttons swap the two control groups and leave every other choice alone:
// option buttons of different containers never clear each other.
void TstForm1::modeSwitch()
{
    auto form = h.makeForm(false);
    form->show();
    FormHarness::ctl<QRadioButton>(*form, "Option4")->setChecked(true);
    FormHarness::ctl<QScrollBar>(*form, "HScroll1")->setValue(5);

    QTest::mouseClick(FormHarness::ctl<QRadioButton>(*form, "Option9"), Qt::LeftButton);
    QVERIFY(!FormHarness::ctl<QRadioButton>(*form, "Option8")->isChecked());
    QVERIFY(!FormHarness::ctl<QGroupBox>(*form, "Frame2")->isVisible());
    QVERIFY(FormHarness::ctl<QGroupBox>(*form, "Frame7")->isVisible());
    QVERIFY(!FormHarness::ctl<QPushButton>(*form, "Command15")->isVisible());
    FormHarness::ctl<QRadioButton>(*form, "Option11")->setChecked(true);
    QVERIFY(FormHarness::ctl<QRadioButton>(*form, "Option9")->isChecked() && FormHarness::ctl<QRadioButton>(*form, "Option4")->isChecked());

    QTest::mouseClick(FormHarness::ctl<QRadioButton>(*form, "Option8"), Qt::LeftButton);
    QVERIFY(FormHarness::ctl<QGroupBox>(*form, "Frame2")->isVisible());
    QVERIFY(!FormHarness::ctl<QGroupBox>(*form, "Frame7")->isVisible());
    QVERIFY(FormHarness::ctl<QPushButton>(*form, "Command15")->isVisible());
    QVERIFY(FormHarness::ctl<QRadioButton>(*form, "Option4")->isChecked() && FormHarness::ctl<QRadioButton>(*form, "Option11")->isChecked());
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
