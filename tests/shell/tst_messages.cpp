#include "shell/messages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TstMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Messages::clear(); }

    // Each row is one language file; messages 12 and 0 start as "old" so "no change" shows.
    void languageLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message12");
        QTest::addColumn<QString>("message0");
        QTest::addColumn<bool>("complete");
        const QString old = QStringLiteral("old");
        QTest::newRow("blanks around the line") << "\t 12=Zoom +  " << "Zoom +" << old << true;
        QTest::newRow("blank after equals kept") << "12 = Zoom" << " Zoom" << old << true;
        QTest::newRow("further equals in value") << "12=a=b" << "a=b" << old << true;
        QTest::newRow("empty value") << "12=" << "" << old << true;
        QTest::newRow("slash comment") << "   //12=x" << old << old << true;
        QTest::newRow("semicolon comment") << ";12=x" << old << old << true;
        QTest::newRow("no equals sign") << "12 Zoom" << old << old << true;
        QTest::newRow("key not a number is 0") << "abc=x" << old << "x" << true;
        QTest::newRow("1025 stops") << "1025=x" << old << old << false;
        QTest::newRow("-0.6 stops") << "-0.6=x" << old << old << false;
    }
    void languageLine()
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

    void stopRuleAndDuplicates()
    {
        // Mixed line ends; the later of two lines wins; nothing after the stop line counts.
        QVERIFY(!loadLanguageText(QStringLiteral("1=a\r\n2=b\r5=first\n\r5=second\n1025=c\r\n3=d\r\n1=changed")));
        QCOMPARE(msg(1), QStringLiteral("a"));
        QCOMPARE(msg(2), QStringLiteral("b"));
        QCOMPARE(msg(5), QStringLiteral("second"));
        QCOMPARE(msg(3), QString());
    }

    void translateControl_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("tag");  // invalid: no tag property at all
        QTest::addColumn<QString>("expected");
        const QString builtIn = QStringLiteral("built-in");
        for (const char *kind : {"QPushButton", "QLabel", "QGroupBox"})
            QTest::addRow("%s tag 12", kind) << kind << QVariant(QStringLiteral("12")) << "Zoom +";
        QTest::newRow("line edit left alone") << "QLineEdit" << QVariant(QStringLiteral("12")) << builtIn;
        QTest::newRow("no tag") << "QPushButton" << QVariant() << builtIn;
        QTest::newRow("empty tag") << "QPushButton" << QVariant(QString()) << builtIn;
        QTest::newRow("tag 0") << "QPushButton" << QVariant(QStringLiteral("0")) << builtIn;
        QTest::newRow("empty message gives empty caption") << "QPushButton" << QVariant(QStringLiteral("13")) << "";
        QTest::newRow("tag -1") << "QLabel" << QVariant(QStringLiteral("-1")) << builtIn;
    }
    void translateControl()
    {
        QFETCH(QString, kind);
        QFETCH(QVariant, tag);
        QFETCH(QString, expected);
        Messages::set(0, QStringLiteral("zero"));
        Messages::set(12, QStringLiteral("Zoom +"));
        // Controls sit inside a frame; the window itself is never translated.
        QWidget window;
        window.setProperty("tag", QStringLiteral("12"));
        auto *frame = new QGroupBox(QStringLiteral("frame"), &window);
        QWidget *control = new QLineEdit(QStringLiteral("built-in"), frame);
        if (kind == u"QPushButton")
            control = new QPushButton(QStringLiteral("built-in"), frame);
        else if (kind == u"QLabel")
            control = new QLabel(QStringLiteral("built-in"), frame);
        else if (kind == u"QGroupBox")
            control = new QGroupBox(QStringLiteral("built-in"), frame);
        if (tag.isValid())
            control->setProperty("tag", tag);
        TranslateForm(&window);
        QString caption = control->property("text").toString();
        if (auto *group = qobject_cast<QGroupBox *>(control))
            caption = group->title();
        QCOMPARE(caption, expected);
        QCOMPARE(window.windowTitle(), QString());
    }

    void shippedLanguageFile()
    {
        const QString dir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
        QVERIFY(!LoadLanguage(dir, QStringLiteral("missing")));
        QVERIFY(LoadLanguage(dir, QStringLiteral("langage")));
        // Units follow the number directly, so they carry their own leading blank.
        for (int n : {25, 73, 77})
            QVERIFY2(msg(n).size() > 1 && msg(n).startsWith(u' '), qPrintable(QString::number(n)));
    }
};

QTEST_MAIN(TstMessages)
#include "tst_messages.moc"
