// The command line: options, the deleteall word, and what is refused.
#include "shell/commandline.h"
#include "shell/language.h"
#include "shell/messages.h"

#include <QProcess>
#include <QTest>

namespace {

// The fields a test can look at, by name; options not given stay empty.
QHash<QString, QString> fields(const CommandLine &line)
{
    return {
        {"hosts", line.hosts.join(u',')},
        {"cacheDir", line.cacheDir},
        {"screenshot", line.screenshot},
        {"language", line.language},
        {"help", line.showHelp ? "1" : ""},
        {"version", line.showVersion ? "1" : ""},
    };
}

} // namespace

class TstCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each option in both forms; "field" names what it fills, every other field stays empty.
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const struct { const char *option, *field, *value; } valued[] = {
            {"--hosts", "hosts", "a:1,b:2,c:3"},
            {"--cache-dir", "cacheDir", "/tmp/c a"},
            {"--screenshot", "screenshot", "shot.png"},
            {"--language", "language", "english"},
        };
        for (const auto &o : valued) {
            const QString option = QString::fromUtf8(o.option);
            QTest::addRow("%s value", o.option) << QStringList{option, o.value} << o.field << o.value;
            QTest::addRow("%s=value", o.option) << QStringList{option + u'=' + o.value} << o.field << o.value;
        }
        QTest::newRow("--help") << QStringList{"--help"} << "help" << "1";
        QTest::newRow("--version") << QStringList{"--version"} << "version" << "1";
        QTest::newRow("last of two wins") << QStringList{"--cache-dir=a", "--cache-dir", "b"} << "cacheDir" << "b";
        QTest::newRow("hosts trimmed, positions kept") << QStringList{"--hosts", " a:1 ,,c:3"} << "hosts" << "a:1,,c:3";
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, field);
        QFETCH(QString, value);
        const CommandLine line = parseCommandLine(args);
        const QHash<QString, QString> got = fields(line);
        for (auto it = got.cbegin(); it != got.cend(); ++it)
            QCOMPARE(it.value(), it.key() == field ? value : QString());
        QCOMPARE(line.badUsage, false);
        QCOMPARE(line.problems, QStringList());
    }

    // Wherever "deleteall" stands, and inside any word, it is the switch and nothing else.
    void deleteAll_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("deleteAll");
        QTest::addColumn<QStringList>("unknown");
        QTest::newRow("alone") << QStringList{"deleteall"} << true << QStringList();
        QTest::newRow("inside a longer word") << QStringList{"xdeleteallx"} << true << QStringList();
        QTest::newRow("as an option") << QStringList{"--deleteall"} << true << QStringList();
        QTest::newRow("after an option") << QStringList{"--cache-dir", "c", "deleteall"} << true << QStringList();
        QTest::newRow("case matters") << QStringList{"DELETEALL"} << false << QStringList{"DELETEALL"};
    }
    void deleteAll()
    {
        QFETCH(QStringList, args);
        const CommandLine line = parseCommandLine(args);
        QTEST(line.deleteAll, "deleteAll");
        QTEST(line.unknown, "unknown");
    }

    // What makes the program show its usage and stop, and what it only reports.
    void refused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("unknown");
        QTest::addColumn<bool>("badUsage");
        QTest::addColumn<int>("problems");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << QStringList{"--bogus"} << true << 1;
        QTest::newRow("unknown option with value") << QStringList{"--bogus=1", "--version"} << QStringList{"--bogus"} << true << 1;
        QTest::newRow("stray word") << QStringList{"maps"} << QStringList{"maps"} << true << 1;
        QTest::newRow("missing value at the end") << QStringList{"--hosts"} << QStringList() << true << 1;
        QTest::newRow("missing value before an option") << QStringList{"--cache-dir", "--help"} << QStringList() << true << 1;
        QTest::newRow("empty value only reported") << QStringList{"--screenshot="} << QStringList() << false << 1;
        QTest::newRow("too many hosts only reported") << QStringList{"--hosts=a:1,b:2,c:3,d:4"} << QStringList() << false << 1;
    }
    void refused()
    {
        QFETCH(QStringList, args);
        const CommandLine line = parseCommandLine(args);
        QTEST(line.unknown, "unknown");
        QTEST(line.badUsage, "badUsage");
        QTEST(int(line.problems.size()), "problems");
    }

    // The program itself: an unknown option prints the usage to stderr, in the language
    // asked for, and exits with 2.
    void programRefusesUnknownOption_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("French") << Language::french();
        QTest::newRow("English") << "english";
    }
    void programRefusesUnknownOption()
    {
        QFETCH(QString, language);
        Language::apply(qEnvironmentVariable("CARTAVENT_DATA_DIR"), language);
        QProcess program;
        program.start(qEnvironmentVariable("CARTAVENT_DATA_DIR") + QStringLiteral("/cartavent"),
                      {QStringLiteral("--bogus"), QStringLiteral("--language"), language});
        QVERIFY2(program.waitForFinished(-1), qPrintable(program.errorString()));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(err.contains(msg(Msg::UnknownArgument).arg(QStringLiteral("--bogus"))), qPrintable(err));
        QVERIFY2(err.contains(commandLineUsage()), qPrintable(err));
        QCOMPARE(program.readAllStandardOutput(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TstCommandLine)
#include "tst_commandline.moc"
