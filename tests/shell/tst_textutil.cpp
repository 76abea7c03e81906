#include "shell/textutil.h"

#include <QTest>

#include <limits>

class TstTextUtil : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLenient_data();
    void parseLenient();
    void parseLenientSaturates();
    void roundHalfEven_data();
    void roundHalfEven();
    void decodeTextFile_data();
    void decodeTextFile();
};

void TstTextUtil::parseLenient_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("integer") << "4000" << 4000.0;
    QTest::newRow("trailing letters") << "40abc" << 40.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters first") << "abc12" << 0.0;
    QTest::newRow("word true") << "true" << 0.0;
    QTest::newRow("negative") << "-3.5" << -3.5;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("sign then letters") << "-x" << 0.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative leading point") << "-.25" << -0.25;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("blank inside") << "1 2" << 12.0;
    QTest::newRow("leading blank") << " 3" << 3.0;
    QTest::newRow("tab and blanks") << "\t- 1 2 . 5 " << -12.5;
    QTest::newRow("second point ends") << "1.2.3" << 1.2;
    QTest::newRow("comma is no decimal point") << "3,5" << 3.0;
    QTest::newRow("double sign") << "--3" << 0.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent written by QString::number") << "1e+06" << 1e6;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("e without digits") << "12eau" << 12.0;
    QTest::newRow("e with sign only") << "12e-" << 12.0;
    QTest::newRow("exponent underflow") << "1e-400" << 0.0;
    QTest::newRow("huge integer") << "123456789012345678901234567890" << 1.2345678901234568e29;
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("\u0663") << 0.0;
}

void TstTextUtil::parseLenient()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(::parseLenient(text), expected);
}

void TstTextUtil::parseLenientSaturates()
{
    QCOMPARE(::parseLenient(u"1e400"), std::numeric_limits<double>::max());
    QCOMPARE(::parseLenient(u"-1e400"), std::numeric_limits<double>::lowest());
    QCOMPARE(::parseLenient(QString(400, u'9')), std::numeric_limits<double>::max());
}

void TstTextUtil::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("3.5") << 3.5 << qint64(4);
    QTest::newRow("12.5") << 12.5 << qint64(12);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("-1.5") << -1.5 << qint64(-2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("just above half") << 2.5000001 << qint64(3);
    QTest::newRow("just below half") << 2.4999999 << qint64(2);
    QTest::newRow("negative below half") << -2.6 << qint64(-3);
    QTest::newRow("whole") << 1024.0 << qint64(1024);
    QTest::newRow("large half") << 1000000000000000.5 << qint64(1000000000000000);
    QTest::newRow("large odd half") << 1000000000000001.5 << qint64(1000000000000002);
    QTest::newRow("beyond qint64") << 1e30 << std::numeric_limits<qint64>::max();
    QTest::newRow("below qint64") << -1e30 << std::numeric_limits<qint64>::min();
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << std::numeric_limits<qint64>::max();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << std::numeric_limits<qint64>::max();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
}

void TstTextUtil::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(::roundHalfEven(value), expected);
}

void TstTextUtil::decodeTextFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ascii") << QByteArray("12=Zoom +") << QStringLiteral("12=Zoom +");
    QTest::newRow("utf-8 e acute") << QByteArray("D\xC3\xA9marrage") << QString::fromUtf8("Démarrage");
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" "1=a") << QStringLiteral("1=a");
    QTest::newRow("cp1252 e acute") << QByteArray("D\xE9marrage") << QString::fromUtf8("Démarrage");
    QTest::newRow("cp1252 euro") << QByteArray("5 \x80") << QString::fromUtf8("5 €");
    QTest::newRow("cp1252 quotes and oe") << QByteArray("\x93\x9C\x94 \x85")
                                         << QString::fromUtf8("“œ” …");
    QTest::newRow("cp1252 unassigned byte") << QByteArray("\x81") << QString(QChar(0x81));
    QTest::newRow("cp1252 y diaeresis") << QByteArray("\x9F\xFF") << QString::fromUtf8("Ÿÿ");
    QTest::newRow("utf-8 cut at the end") << QByteArray("a\xC3") << QString::fromUtf8("aÃ");
    QTest::newRow("overlong utf-8 is not utf-8") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
    QTest::newRow("encoded surrogate is not utf-8") << QByteArray("\xED\xA0\x80")
                                                   << QString::fromUtf8("í\u00A0€");
    QTest::newRow("four-byte utf-8") << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf8("😀");
    QTest::newRow("one bad byte makes the whole file cp1252")
        << QByteArray("\xC3\xA9 \xE9") << QString::fromUtf8("Ã© é");
}

void TstTextUtil::decodeTextFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(::decodeTextFile(bytes), expected);
}

QTEST_APPLESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
