// Captions replaced by the messages their controls' tags name.
#include "viewer/translation.h"
#include "shell/messages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class TstTranslation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Messages::clear(); }

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
        QTest::newRow("tag 0") << "QPushButton" << QVariant(QStringLiteral("0")) << builtIn;
        QTest::newRow("empty message gives empty caption") << "QPushButton" << QVariant(QStringLiteral("13")) << "";
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

    // French typography in every built-in message: a no-break space before "?", "!", ";",
    // ":" and "%", accents on capitals, units apart from their numbers, the ellipsis sign.
    void typography_data()
    {
        QTest::addColumn<QString>("text");
        Messages::loadBuiltIn();
        for (int n = 0; n < MessageCount; ++n) {
            if (!msg(n).isEmpty())
                QTest::addRow("message %d", n) << msg(n);
        }
    }
    void typography()
    {
        QFETCH(QString, text);
        static const QRegularExpression faults[] = {
            QRegularExpression(QStringLiteral("[^\u00A0][?!;:%]( |$)")),
            QRegularExpression(QStringLiteral("\\b(Etat|A propos|Geopotentiel|Echéance|debit|selectionner)\\b")),
            QRegularExpression(QStringLiteral("[0-9](hPa|Pa)\\b")),
            QRegularExpression(QStringLiteral("\\.\\.\\.")),
        };
        for (const QRegularExpression &fault : faults) {
            const QRegularExpressionMatch m = fault.match(text);
            QVERIFY2(!m.hasMatch(), qPrintable(QStringLiteral("\"%1\" in \"%2\"").arg(m.captured(), text)));
        }
    }
};

QTEST_MAIN(TstTranslation)
#include "tst_translation.moc"
