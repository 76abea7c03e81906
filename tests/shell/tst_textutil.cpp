#include "shell/textutil.h"

#include <QTest>

#include <limits>

class TstTextUtil : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLenient_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative leading point") << "-.25" << -0.25;
        QTest::newRow("blanks and tab inside") << "\t- 1 2 . 5 " << -12.5;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("comma is no decimal point") << "3,5" << 3.0;
        QTest::newRow("exponent") << "25E-1" << 2.5;
        QTest::newRow("e without digits") << "12eau" << 12.0;
        QTest::newRow("overflow saturates") << "1e400" << std::numeric_limits<double>::max();
    }
    void parseLenient()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(::parseLenient(text), expected);
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("large odd half") << 1000000000000001.5 << qint64(1000000000000002);
        QTest::newRow("beyond qint64") << 1e30 << std::numeric_limits<qint64>::max();
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        QCOMPARE(::roundHalfEven(value), expected);
    }

    void decodeTextFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" "1=\xC3\xA9") << QString::fromUtf8("1=é");
        QTest::newRow("cp1252 euro and quotes") << QByteArray("\x80\x93\x9C") << QString::fromUtf8("€“œ");
        QTest::newRow("one bad byte makes the file cp1252") << QByteArray("\xC3\xA9 \xE9") << QString::fromUtf8("Ã© é");
        // Forms a lenient UTF-8 reader would take: each makes the file Windows-1252.
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
        QTest::newRow("surrogate half") << QByteArray("\xED\xA0\x80") << QString::fromUtf8("í\u00A0€");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QString::fromUtf8("ô\u0090€€");
        QTest::newRow("cut off at the end") << QByteArray("a\xC3") << QString::fromUtf8("aÃ");
        QTest::newRow("unassigned bytes keep their value") << QByteArray("\x81\x8D\x8F\x90\x9D")
                                                           << QString::fromUtf8("\u0081\u008D\u008F\u0090\u009D");
    }
    void decodeTextFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(::decodeTextFile(bytes), expected);
    }
};

QTEST_APPLESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
