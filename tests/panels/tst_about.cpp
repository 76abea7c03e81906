#include "shell/about.h"
#include "shell/messages.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QPushButton>
#include <QTest>

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void box();
};

void TestAbout::text_data()
{
    QTest::addColumn<QString>("m44");
    QTest::addColumn<QString>("m45");

    QTest::newRow("translated") << "Cartavent (version" << "Cartes du modèle GFS.";
    QTest::newRow("no language file") << "" << "";
    QTest::newRow("trailing blank kept") << "Version " << "x";
}

void TestAbout::text()
{
    QFETCH(QString, m44);
    QFETCH(QString, m45);
    Messages::set(44, m44);
    Messages::set(45, m45);

    const QString text = aboutText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 6);  // the text ends with a line break
    QCOMPARE(lines[0], m44 + " 3.1)");
    QVERIFY(lines[1].startsWith(QStringLiteral("Copyright © ")));
    QCOMPARE(lines[2], QString());
    QCOMPARE(lines[3], m45);
    QCOMPARE(lines[4], QString());
    QCOMPARE(lines[5], QString());
    QVERIFY(!text.contains(QRegularExpression("[^\r]\n")));
}

void TestAbout::box()
{
    Messages::set(44, QStringLiteral("Cartavent <version"));
    Messages::set(45, QStringLiteral("Texte"));
    const auto box = makeAboutBox(nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("Cartavent"));
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box->buttons().size(), 1);
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QVERIFY(box->text().startsWith(QStringLiteral("Cartavent <version 3.1)\n")));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
