#include "viewer/hostchoice.h"

#include <QTest>

class TstHostChoice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void choice_data();
    void choice();
};

void TstHostChoice::choice_data()
{
    QTest::addColumn<QStringList>("commandLine");
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("expected");  // empty: the demonstration server

    const QStringList none{QString(), QString(), QString()};
    const QStringList xyz{"x:9", "y:8", "z:7"};
    QTest::newRow("nothing") << QStringList{} << none << QStringList{};
    QTest::newRow("blank entries count as none") << QStringList{" ", ""} << none << QStringList{};
    QTest::newRow("command line wins") << QStringList{"a:1", "b:2", "c:3"} << xyz << QStringList{"a:1", "b:2", "c:3"};
    QTest::newRow("saved hosts") << QStringList{} << xyz << xyz;
    QTest::newRow("gaps borrow the first host") << QStringList{} << QStringList{"", "y:8", ""} << QStringList{"y:8", "y:8", "y:8"};
    QTest::newRow("positions are kept") << QStringList{"a:1", "", "c:3"} << none << QStringList{"a:1", "a:1", "c:3"};
    QTest::newRow("one host, trimmed, serves all three") << QStringList{" a:1 "} << none << QStringList{"a:1", "a:1", "a:1"};
}

void TstHostChoice::choice()
{
    QFETCH(QStringList, commandLine);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, expected);
    QCOMPARE(chooseMapHosts(commandLine, saved), expected);
}

QTEST_APPLESS_MAIN(TstHostChoice)
#include "tst_hostchoice.moc"
