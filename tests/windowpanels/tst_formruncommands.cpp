// The run commands of the window: download all, its stop and refusal, the maximum step.
#include "tests/support/formharness.h"

#include "retrieval/runcommands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

namespace {

// The server paths of the maps of one step, kinds 1 to lastKind.
QStringList mapPaths(int step, int lastKind = 7)
{
    QStringList paths;
    for (int k = 1; k <= lastKind; ++k)
        paths << FormHarness::mapPath(kindByNumber(k)->key, step);
    return paths;
}

} // namespace

class TstFormRunCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(h.start());
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }
    void init() { h.resetSettings(); }

    void downloadAll();
    void downloadAllStopsAndStartsAfresh();
    void refusedWhileDownloading_data();
    void refusedWhileDownloading();
    void maximumStep_data();
    void maximumStep();

private:
    FormHarness h;
};

void TstFormRunCommands::downloadAll()
{
    auto form = h.makeForm();
    form->Text1->setText(QStringLiteral("1"));
    // A button has no signal for its text: read it each time the pass lets events run.
    QStringList captions{form->Command15->text()};
    const auto record = [&] {
        if (captions.last() != form->Command15->text())
            captions << form->Command15->text();
    };
    QTimer poll;
    connect(&poll, &QTimer::timeout, form.get(), record);
    poll.start(0);

    form->Command15->click();
    poll.stop();
    record();

    QCOMPARE(h.server.requests(), mapPaths(0) + mapPaths(1));
    QCOMPARE(captions.size(), 16);
    QCOMPARE(captions.at(1), QStringLiteral("7,14 %"));
    QCOMPARE(captions.at(14), QStringLiteral("100 %"));
    QCOMPARE(captions.last(), msg(43));
    QVERIFY(QFile::exists(h.cachePath(QStringLiteral("vent1.png"))));
}

void TstFormRunCommands::downloadAllStopsAndStartsAfresh()
{
    auto form = h.makeForm();
    form->Text1->setText(QStringLiteral("2"));
    int finished = 0;
    // A second press from inside the pass, after its third map.
    auto stopper = connect(form->Service, &RetrievalService::statusText, form.get(), [&](const QString &text) {
        if (text == msg(54) && ++finished == 3)
            form->Command15->click();
    });

    form->Command15->click();

    QCOMPARE(h.server.requests(), mapPaths(0, 3));
    QCOMPARE(form->Command15->text(), msg(43));
    disconnect(stopper);
    h.server.clearRequests();
    form->Text1->setText(QStringLiteral("0"));
    form->Command15->click();
    QCOMPARE(h.server.requests(), mapPaths(0));
}

void TstFormRunCommands::refusedWhileDownloading_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("download all") << QStringLiteral("Command15");
    QTest::newRow("test for a new run") << QStringLiteral("Command2");
}

void TstFormRunCommands::refusedWhileDownloading()
{
    QFETCH(QString, button);
    auto form = h.makeForm();
    QSignalSpy boxes(form->Service, &RetrievalService::messageBox);
    form->Downloading = true;

    form->findChild<QPushButton *>(button)->click();

    form->Downloading = false;
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.first().at(0).toString(), msg(42));
    QVERIFY(h.server.requests().isEmpty());
}

void TstFormRunCommands::maximumStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("warned");
    QTest::newRow("40: accepted with a warning") << "40" << 0 << 40 << true;
    QTest::newRow("not a number: ignored") << "abc" << 4 << 30 << false;
    QTest::newRow("below the shown step moves it") << "5" << 10 << 5 << false;
    QTest::newRow("largest that fits") << "5461" << 4 << MaxStepLimit << true;
    QTest::newRow("one too many: refused") << "5462" << 4 << 30 << true;
}

void TstFormRunCommands::maximumStep()
{
    QFETCH(QString, text);
    QFETCH(int, step);
    QFETCH(int, maximum);
    QFETCH(bool, warned);
    auto form = h.makeForm();
    form->HScroll1->setValue(step);
    form->Label3->setText(QStringLiteral("before"));

    form->Text1->setText(text);

    QCOMPARE(form->HScroll1->maximum(), maximum);
    QCOMPARE(form->HScroll1->value(), qMin(step, maximum));
    // A step that moves redraws the map, which writes its own status.
    QCOMPARE(form->Label3->text() == msg(62), warned);
}

QTEST_MAIN(TstFormRunCommands)
#include "tst_formruncommands.moc"
