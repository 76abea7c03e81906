#include "shell/settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Every test writes into a private settings folder, never into the user's own.
class TstSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void defaults_data();
    void defaults();
    void storedText_data();
    void storedText();
    void roundTrip();
    void hosts();

private:
    QTemporaryDir m_dir;
};

void TstSettings::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
}

void TstSettings::init()
{
    QSettings settings("Cartavent", "Cartavent");
    settings.clear();
    settings.sync();
    QVERIFY(settings.fileName().startsWith(m_dir.path()));
}

void TstSettings::defaults_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("defaultValue");
    QTest::newRow("help") << "help" << 0.0;
    QTest::newRow("dx") << "dx" << 4000.0;
    QTest::newRow("num") << "num" << 30.0;
}

void TstSettings::defaults()
{
    QFETCH(QString, key);
    QFETCH(double, defaultValue);
    QVERIFY(!SavedSettings::contains(key));
    QCOMPARE(SavedSettings::readNumber(key, defaultValue), defaultValue);
    QCOMPARE(SavedSettings::readText(key, QStringLiteral("none")), QStringLiteral("none"));
}

// What a hand-edited or damaged settings file may hold, and how it reads.
void TstSettings::storedText_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole number") << QVariant(QStringLiteral("4000")) << 4000.0;
    QTest::newRow("trailing garbage") << QVariant(QStringLiteral("40abc")) << 40.0;
    QTest::newRow("garbage") << QVariant(QStringLiteral("abc")) << 0.0;
    QTest::newRow("empty text is not missing") << QVariant(QString()) << 0.0;
    QTest::newRow("boolean true") << QVariant(true) << 0.0;
    QTest::newRow("stored as a number") << QVariant(1234.5) << 1234.5;
    QTest::newRow("comma list") << QVariant(QStringList{QStringLiteral("12"), QStringLiteral("5")}) << 12.0;
}

void TstSettings::storedText()
{
    QFETCH(QVariant, stored);
    QFETCH(double, expected);
    {
        QSettings settings("Cartavent", "Cartavent");
        settings.setValue("Cartavent/dx", stored);
    }
    QVERIFY(SavedSettings::contains(QStringLiteral("dx")));
    QCOMPARE(SavedSettings::readNumber(QStringLiteral("dx"), 4000.0), expected);
}

void TstSettings::roundTrip()
{
    SavedSettings::writeText(QStringLiteral("num"), QStringLiteral("40"));
    SavedSettings::writeText(QStringLiteral("dx"), QStringLiteral("-125"));
    QCOMPARE(SavedSettings::readNumber(QStringLiteral("num"), 30), 40.0);
    QCOMPARE(SavedSettings::readNumber(QStringLiteral("dx"), 4000), -125.0);
    QCOMPARE(SavedSettings::readText(QStringLiteral("num")), QStringLiteral("40"));

    // Stored under application "Cartavent", section "Cartavent", as text.
    QSettings settings("Cartavent", "Cartavent");
    QCOMPARE(settings.value("Cartavent/num").toString(), QStringLiteral("40"));
    QCOMPARE(settings.value("Cartavent/num").typeId(), int(QMetaType::QString));
}

void TstSettings::hosts()
{
    QCOMPARE(SavedSettings::hosts(), QStringList({QString(), QString(), QString()}));
    {
        QSettings settings("Cartavent", "Cartavent");
        settings.setValue("Servers/host1", "maps.example:8080");
        settings.setValue("Servers/host3", " 127.0.0.1:9000 ");
        settings.setValue("Cartavent/host2", "wrong section");
    }
    QCOMPARE(SavedSettings::hosts(),
             QStringList({QStringLiteral("maps.example:8080"), QString(), QStringLiteral("127.0.0.1:9000")}));
}

QTEST_APPLESS_MAIN(TstSettings)
#include "tst_settings.moc"
