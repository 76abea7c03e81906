// Fault rules as written on the map server's command line.
#include "mapserver/faultlist.h"

#include <QtTest>

Q_DECLARE_METATYPE(Fault)

class TestFaultList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Fault>("fault");  // of the only rule, when accepted
        QTest::newRow("trickle") << "*065.gif:trickle=300" << true << Fault{.trickleBytesPerSecond = 300};
        QTest::newRow("trickle after a delay") << "*:delay=50,trickle=2000" << true
                                                << Fault{.delayMs = 50, .trickleBytesPerSecond = 2000};
        QTest::newRow("trickle without a rate") << "*:trickle" << false << Fault{};
        QTest::newRow("trickle at zero") << "*:trickle=0" << false << Fault{};
        QTest::newRow("trickle past an int") << "*:trickle=4294967296" << false << Fault{};
        QTest::newRow("hang with a value") << "*:hang=1" << false << Fault{};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(Fault, fault);
        QList<QPair<QString, Fault>> faults;
        QString error;
        QCOMPARE(parseFaultList(text, faults, &error), accepted);
        QCOMPARE(faults.size(), accepted ? 1 : 0);
        if (!accepted) {
            QVERIFY(error.contains(text.section(':', 0, 0)));
            return;
        }
        const Fault &got = faults.first().second;
        QCOMPARE(got.trickleBytesPerSecond, fault.trickleBytesPerSecond);
        QCOMPARE(got.delayMs, fault.delayMs);
        QVERIFY(!got.hang && !got.refuse && got.cutAfter < 0);
    }
};

QTEST_GUILESS_MAIN(TestFaultList)
#include "tst_faultlist.moc"
