#include "shell/messages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Before anything loads, the table already holds the built-in texts.
    void initTestCase() { QCOMPARE(msg(Msg::Searching), QStringLiteral("Recherche d'un nouveau run…")); }
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

    // No language file on disk: the texts the code shows by number are still there.
    void builtInTexts()
    {
        QTemporaryDir empty;
        QVERIFY(!LoadLanguage(empty.path(), QStringLiteral("langage")));
        QCOMPARE(msg(Msg::UpToDate), QStringLiteral("Cartes à jour"));
        QCOMPARE(msg(1000), QString());
    }

    // A file on disk replaces only the lines it holds, an empty value included.
    void fileOverridesBuiltIn()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("langage.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("67=Up to date\n73=\n");
        file.close();
        QVERIFY(LoadLanguage(dir.path(), QStringLiteral("langage")));
        QCOMPARE(msg(Msg::UpToDate), QStringLiteral("Up to date"));
        QCOMPARE(msg(Msg::PrecipitationUnit), QString());
        QCOMPARE(msg(Msg::HeightUnit), QStringLiteral(" dam"));
        QCOMPARE(msg(Msg::Searching), QStringLiteral("Recherche d'un nouveau run…"));
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

QTEST_GUILESS_MAIN(TstMessages)
#include "tst_messages.moc"
