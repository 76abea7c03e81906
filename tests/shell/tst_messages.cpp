#include "shell/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TstMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();

    void languageLine_data();
    void languageLine();
    void stopKeepsEarlierLinesOnly();
    void laterLineWins();
    void lineEndings_data();
    void lineEndings();
    void loadFile_data();
    void loadFile();
    void missingFileLeavesTableAlone();
    void outOfRangeNumbers();

    void translateControl_data();
    void translateControl();
    void translateWalksNestedControlsOnly();

    void shippedCaptions_data();
    void shippedCaptions();
    void shippedCodeTexts();
};

void TstMessages::init()
{
    Messages::clear();
}

// Each row is one language file; messages 12 and 0 start as "old" so "no change" is visible.
void TstMessages::languageLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message12");
    QTest::addColumn<QString>("message0");
    QTest::addColumn<bool>("complete");

    const QString old = QStringLiteral("old");
    QTest::newRow("plain") << "12=Zoom +" << "Zoom +" << old << true;
    QTest::newRow("blanks around the line") << "  12=Zoom +  " << "Zoom +" << old << true;
    QTest::newRow("tabs around the line") << "\t12=Zoom +\t" << "Zoom +" << old << true;
    QTest::newRow("blank after equals kept") << "12 = Zoom" << " Zoom" << old << true;
    QTest::newRow("further equals in value") << "12=a=b" << "a=b" << old << true;
    QTest::newRow("empty value") << "12=" << "" << old << true;
    QTest::newRow("slash comment") << "// 12=x" << old << old << true;
    QTest::newRow("indented slash comment") << "   //12=x" << old << old << true;
    QTest::newRow("semicolon comment") << ";12=x" << old << old << true;
    QTest::newRow("empty line") << "" << old << old << true;
    QTest::newRow("blank line") << "    " << old << old << true;
    QTest::newRow("no equals sign") << "12 Zoom" << old << old << true;
    QTest::newRow("key not a number") << "abc=x" << old << "x" << true;
    QTest::newRow("empty key") << "=x" << old << "x" << true;
    QTest::newRow("blanks inside key") << "1 2=x" << "x" << old << true;
    QTest::newRow("key 12.5 rounds to even") << "12.5=x" << "x" << old << true;
    QTest::newRow("key 11.5 rounds to even") << "11.5=x" << "x" << old << true;
    QTest::newRow("key -0.4 rounds to 0") << "-0.4=x" << old << "x" << true;
    QTest::newRow("key with letters after") << "12abc=x" << "x" << old << true;
    QTest::newRow("no-break space at the end kept") << QString::fromUtf8("12=x\u00A0") << QString::fromUtf8("x\u00A0")
                                                     << old << true;
    QTest::newRow("last number") << "1024=x" << old << old << true;
    QTest::newRow("1025 stops") << "1025=x" << old << old << false;
    QTest::newRow("-1 stops") << "-1=x" << old << old << false;
    QTest::newRow("-0.5 rounds to 0") << "-0.5=x" << old << "x" << true;
    QTest::newRow("-0.6 stops") << "-0.6=x" << old << old << false;
    QTest::newRow("1024.5 rounds to 1024") << "1024.5=x" << old << old << true;
    QTest::newRow("huge key stops") << "1e300=x" << old << old << false;
}

void TstMessages::languageLine()
{
    QFETCH(QString, file);
    QFETCH(QString, message12);
    QFETCH(QString, message0);
    QFETCH(bool, complete);

    Messages::set(12, QStringLiteral("old"));
    Messages::set(0, QStringLiteral("old"));
    QCOMPARE(loadLanguageText(file), complete);
    QCOMPARE(msg(12), message12);
    QCOMPARE(msg(0), message0);
}

void TstMessages::stopKeepsEarlierLinesOnly()
{
    const QString file = QStringLiteral("1=a\r\n2=b\r\n1025=c\r\n3=d\r\n1=changed\r\n");
    const ParsedLanguage parsed = parseLanguage(file);
    QVERIFY(!parsed.complete);
    QCOMPARE(parsed.stopLine, 3);
    QCOMPARE(parsed.messages.size(), 2);

    QVERIFY(!loadLanguageText(file));
    QCOMPARE(msg(1), QStringLiteral("a"));
    QCOMPARE(msg(2), QStringLiteral("b"));
    QCOMPARE(msg(3), QString());
}

void TstMessages::laterLineWins()
{
    QVERIFY(loadLanguageText(QStringLiteral("5=first\r\n6=other\r\n5=second\r\n")));
    QCOMPARE(msg(5), QStringLiteral("second"));
    QCOMPARE(msg(6), QStringLiteral("other"));

    // A later file replaces what it names and keeps the rest.
    QVERIFY(loadLanguageText(QStringLiteral("6=again")));
    QCOMPARE(msg(5), QStringLiteral("second"));
    QCOMPARE(msg(6), QStringLiteral("again"));
}

void TstMessages::lineEndings_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CR LF") << "1=a\r\n2=b\r\n";
    QTest::newRow("CR alone") << "1=a\r2=b\r";
    QTest::newRow("LF alone") << "1=a\n2=b\n";
    QTest::newRow("LF CR") << "1=a\n\r2=b";
    QTest::newRow("mixed, no final break") << "1=a\r\n\r\n2=b";
    QTest::newRow("blank lines between") << "\n\n1=a\r\r\n  \n2=b\n\n";
}

void TstMessages::lineEndings()
{
    QFETCH(QString, file);
    QVERIFY(loadLanguageText(file));
    QCOMPARE(msg(1), QStringLiteral("a"));
    QCOMPARE(msg(2), QStringLiteral("b"));
}

void TstMessages::loadFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("utf-8") << QByteArray("// en-t\xC3\xAAte\r\n7=Date du run \xC3\xA9t\xC3\xA9 \xE2\x82\xAC\r\n")
                           << QString::fromUtf8("Date du run été €");
    QTest::newRow("windows-1252") << QByteArray("// en-t\xEAte\r\n7=Date du run \xE9t\xE9 \x80\r\n")
                                  << QString::fromUtf8("Date du run été €");
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" "7=x") << QStringLiteral("x");
}

void TstMessages::loadFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("essai.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QVERIFY(LoadLanguage(dir.path(), QStringLiteral("essai")));
    QCOMPARE(msg(7), expected);
}

void TstMessages::missingFileLeavesTableAlone()
{
    QTemporaryDir dir;
    Messages::set(3, QStringLiteral("kept"));
    QVERIFY(!LoadLanguage(dir.path(), QStringLiteral("langage")));
    QCOMPARE(msg(3), QStringLiteral("kept"));
}

void TstMessages::outOfRangeNumbers()
{
    Messages::set(-1, QStringLiteral("x"));
    Messages::set(1025, QStringLiteral("x"));
    Messages::set(1024, QStringLiteral("last"));
    QCOMPARE(msg(-1), QString());
    QCOMPARE(msg(1025), QString());
    QCOMPARE(msg(1024), QStringLiteral("last"));
}

namespace {

QWidget *makeControl(const QString &kind, QWidget *parent)
{
    const QString builtIn = QStringLiteral("built-in");
    if (kind == u"QPushButton")
        return new QPushButton(builtIn, parent);
    if (kind == u"QLabel")
        return new QLabel(builtIn, parent);
    if (kind == u"QGroupBox")
        return new QGroupBox(builtIn, parent);
    if (kind == u"QRadioButton")
        return new QRadioButton(builtIn, parent);
    if (kind == u"QCheckBox")
        return new QCheckBox(builtIn, parent);
    if (kind == u"QLineEdit")
        return new QLineEdit(builtIn, parent);
    if (kind == u"QComboBox") {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setEditText(builtIn);
        return combo;
    }
    auto *bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(0, 100);
    bar->setValue(7);
    return bar;
}

QString captionOf(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *s = qobject_cast<QScrollBar *>(w))
        return s->value() == 7 ? QStringLiteral("built-in") : QString::number(s->value());
    return {};
}

} // namespace

void TstMessages::translateControl_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("tag");  // invalid: no tag property at all
    QTest::addColumn<QString>("expected");

    const QString builtIn = QStringLiteral("built-in");
    const QString zoom = QStringLiteral("Zoom +");
    for (const char *kind : {"QPushButton", "QLabel", "QGroupBox", "QRadioButton", "QCheckBox"})
        QTest::addRow("%s tag 12", kind) << kind << QVariant(QStringLiteral("12")) << zoom;
    for (const char *kind : {"QLineEdit", "QComboBox", "QScrollBar"})
        QTest::addRow("%s left alone", kind) << kind << QVariant(QStringLiteral("12")) << builtIn;

    QTest::newRow("no tag") << "QPushButton" << QVariant() << builtIn;
    QTest::newRow("empty tag") << "QPushButton" << QVariant(QString()) << builtIn;
    QTest::newRow("tag 0") << "QPushButton" << QVariant(QStringLiteral("0")) << builtIn;
    QTest::newRow("tag not a number") << "QPushButton" << QVariant(QStringLiteral("abc")) << builtIn;
    QTest::newRow("empty message gives empty caption") << "QPushButton" << QVariant(QStringLiteral("13")) << QString();
    QTest::newRow("tag -1") << "QLabel" << QVariant(QStringLiteral("-1")) << builtIn;
    QTest::newRow("tag 1025") << "QLabel" << QVariant(QStringLiteral("1025")) << builtIn;
    QTest::newRow("tag 1024") << "QLabel" << QVariant(QStringLiteral("1024")) << QStringLiteral("last");
    QTest::newRow("tag 12.5 rounds to 12") << "QCheckBox" << QVariant(QStringLiteral("12.5")) << zoom;
    QTest::newRow("tag 11.5 rounds to 12") << "QCheckBox" << QVariant(QStringLiteral("11.5")) << zoom;
    QTest::newRow("tag 0.4 is not 0 but rounds to 0") << "QLabel" << QVariant(QStringLiteral("0.4"))
                                                      << QStringLiteral("zero");
    QTest::newRow("tag with blanks") << "QGroupBox" << QVariant(QStringLiteral(" 1 2 ")) << zoom;
    QTest::newRow("tag held as a number") << "QRadioButton" << QVariant(12) << zoom;
}

void TstMessages::translateControl()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, tag);
    QFETCH(QString, expected);

    Messages::set(0, QStringLiteral("zero"));
    Messages::set(12, QStringLiteral("Zoom +"));
    Messages::set(1024, QStringLiteral("last"));

    QWidget window;
    QWidget *control = makeControl(kind, &window);
    if (tag.isValid())
        control->setProperty("tag", tag);
    TranslateForm(&window);
    QCOMPARE(captionOf(control), expected);
}

void TstMessages::translateWalksNestedControlsOnly()
{
    Messages::set(7, QStringLiteral("Date du run :"));
    Messages::set(8, QStringLiteral("Animer"));
    Messages::set(12, QStringLiteral("Zoom +"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Cartavent - "));
    window.setProperty("tag", QStringLiteral("12"));
    auto *outer = new QGroupBox(QStringLiteral("outer"), &window);
    auto *bad = new QPushButton(QStringLiteral("bad"), outer);
    bad->setProperty("tag", QStringLiteral("5000"));
    auto *inner = new QGroupBox(QStringLiteral("inner"), outer);
    inner->setProperty("tag", QStringLiteral("7"));
    auto *deep = new QCheckBox(QStringLiteral("deep"), inner);
    deep->setProperty("tag", QStringLiteral("8"));

    TranslateForm(&window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Cartavent - "));
    QCOMPARE(outer->title(), QStringLiteral("outer"));
    QCOMPARE(bad->text(), QStringLiteral("bad"));
    QCOMPARE(inner->title(), QStringLiteral("Date du run :"));
    QCOMPARE(deep->text(), QStringLiteral("Animer"));

    TranslateForm(nullptr);  // must not crash
}

// The shipped file gives every tagged control its built-in caption.
void TstMessages::shippedCaptions_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("caption");
    const QList<std::pair<int, const char *>> captions = {
        {1, "Précipitation"}, {2, "Nébulosité"}, {3, "Température à 850hPa"}, {4, "Orages J/kg"},
        {5, "Geopotentiel 500hPa"}, {6, "Vents"}, {7, "Date du run :"}, {8, "Animer"}, {9, "Etat :"},
        {10, "Idle"}, {11, "Actualiser le run"}, {12, "Teste si nouveaux modèles"}, {13, "Effacer le run"},
        {14, "Télécharger tout"}, {15, "Connexion bas debit"}, {16, "Rectangle valeur activé"},
        {17, "Localisation"}, {18, "Cliquer sur la carte pour selectionner un lieu"}, {19, "Calculer"},
        {20, "Situation actuelle"}, {21, "Précipitations :"}, {22, "Nébulosité"}, {23, "Temp à 850Pa"},
        {24, "Vent moyen"}, {26, "Runs Actuels"}, {27, "Archives"}, {28, "Aide"}, {29, "A propos"},
        {30, "Les cartes sont la propriété de Cartavent (démonstration)"}, {31, "Max échéance :"},
        {32, "Date :"}, {33, "Mois :"}, {34, "Jour :"}, {35, "Année :"}, {36, "Archives"},
        {37, "Copie URL"}, {38, "Zoom +"}, {39, "Zoom -"}, {40, "H"}, {41, "B"}, {69, "Mode d'emploi"},
        {70, "Ne plus afficher ce message"}, {71, "OK"}, {74, "Affiche"}, {100, "Températures"},
        {101, "Type de carte :"},
    };
    for (const auto &[number, caption] : captions)
        QTest::addRow("%d", number) << number << QString::fromUtf8(caption);
}

void TstMessages::shippedCaptions()
{
    QFETCH(int, number);
    QFETCH(QString, caption);
    QVERIFY(LoadLanguage(qEnvironmentVariable("CARTAVENT_DATA_DIR"), QStringLiteral("langage")));
    QCOMPARE(msg(number), caption);
}

void TstMessages::shippedCodeTexts()
{
    QVERIFY(LoadLanguage(qEnvironmentVariable("CARTAVENT_DATA_DIR"), QStringLiteral("langage")));
    for (int n : {25, 42, 43, 44, 45, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 58, 59, 60, 61, 62, 63, 64,
                  65, 66, 67, 72, 73, 76, 77, 78})
        QVERIFY2(!msg(n).trimmed().isEmpty(), qPrintable(QString::number(n)));
    // Units follow the number directly, so they carry their own leading blank.
    for (int n : {25, 73, 77})
        QVERIFY2(msg(n).startsWith(u' ') && msg(n).size() > 1, qPrintable(QString::number(n)));
    // The download status texts are followed directly by "'+6h'".
    for (int n = 47; n <= 53; ++n)
        QVERIFY2(msg(n).endsWith(QChar(0x00A0)), qPrintable(QString::number(n)));
    QCOMPARE(msg(44) + QStringLiteral(" 3.1)"), QStringLiteral("Cartavent, visionneuse de cartes GFS (version 3.1)"));
}

QTEST_MAIN(TstMessages)
#include "tst_messages.moc"
