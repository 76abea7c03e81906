// The run commands of the window: download all, refresh, delete, maximum step.
#include "formharness.h"

#include "retrieval/runcommands.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

// The captions a button shows each time pending events run (a button has no signal for
// its text): the pass lets events run after every caption it sets.
class CaptionRecorder : public QObject {
public:
    explicit CaptionRecorder(const QPushButton *button) : m_button(button) { poll(); }
    // Takes the caption left at the end, when no event ran after it.
    QStringList finish()
    {
        m_on = false;
        record();
        return m_captions.mid(1);  // without the caption before the press
    }

private:
    void record()
    {
        if (m_captions.isEmpty() || m_captions.last() != m_button->text())
            m_captions << m_button->text();
    }
    void poll()
    {
        if (!m_on)
            return;
        record();
        QMetaObject::invokeMethod(this, &CaptionRecorder::poll, Qt::QueuedConnection);
    }

    const QPushButton *m_button;
    QStringList m_captions;
    bool m_on = true;
};

QStringList fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &p : paths)
        names << p.section(QLatin1Char('/'), -1);
    return names;
}

QStringList mapFiles(int step, const QList<int> &kinds)
{
    QStringList names;
    for (int k : kinds)
        names << forecastMapFile(*kindByNumber(k), step);
    return names;
}

const QList<int> KindOrder{1, 2, 3, 4, 5, 6, 7};
const QList<int> FetchOrder{6, 1, 2, 3, 4, 5, 7};

} // namespace

class TstFormRunCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void downloadAll();
    void downloadAllStopsAndStartsAfresh();
    void refusedWhileDownloading_data();
    void refusedWhileDownloading();
    void deleteRunKeepsArchives();
    void refreshFetchesShownStep();
    void maximumStep_data();
    void maximumStep();
    void refusedMaximumNotDownloaded();

private:
    FormHarness h;
};

void TstFormRunCommands::initTestCase()
{
    QVERIFY(h.start());
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void TstFormRunCommands::init()
{
    h.resetSettings();
}

void TstFormRunCommands::downloadAll()
{
    auto form = h.makeForm();
    form->Text1->setText(QStringLiteral("1"));
    CaptionRecorder recorder(form->Command15);
    QSignalSpy boxes(form->Service, &RetrievalService::messageBox);

    form->Command15->click();
    const QStringList captions = recorder.finish();

    QCOMPARE(fileNames(h.server.requests()), mapFiles(0, KindOrder) + mapFiles(1, KindOrder));
    QStringList expected;
    for (int s = 0; s <= 1; ++s) {
        for (int k = 1; k <= 7; ++k)
            expected << downloadAllCaption(s, k, 1, QLocale());
    }
    expected << msg(43);
    QCOMPARE(captions, expected);
    QCOMPARE(captions.first(), QStringLiteral("7,14 %"));
    QCOMPARE(captions.at(13), QStringLiteral("100 %"));
    QVERIFY(QFile::exists(h.cachePath(QStringLiteral("vent1.png"))));
    QVERIFY(form->Command15->property("state").toString().isEmpty());
    QCOMPARE(form->Command15->property("tag").toString(), QStringLiteral("14"));
    QCOMPARE(boxes.count(), 0);
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

    QCOMPARE(fileNames(h.server.requests()), mapFiles(0, {1, 2, 3}));
    QCOMPARE(form->Command15->text(), msg(43));
    QVERIFY(form->Command15->property("state").toString().isEmpty());

    disconnect(stopper);
    h.server.clearRequests();
    form->Text1->setText(QStringLiteral("0"));
    form->Command15->click();
    QCOMPARE(fileNames(h.server.requests()), mapFiles(0, KindOrder));
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
    QCOMPARE(boxes.first().at(1).toBool(), true);  // information icon
    QVERIFY(h.server.requests().isEmpty());
    QVERIFY(form->Command15->property("state").toString().isEmpty());
}

void TstFormRunCommands::deleteRunKeepsArchives()
{
    auto form = h.makeForm();
    QVERIFY(QFile::exists(h.cachePath(QStringLiteral("temp0.png"))));
    QFile archive(h.cachePath(QStringLiteral("p500a19900315.gif")));
    QVERIFY(archive.open(QIODevice::WriteOnly));
    archive.close();

    form->Command1->click();

    QCOMPARE(QDir(h.cache->path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("log.txt"), QStringLiteral("p500a19900315.gif")}));
}

void TstFormRunCommands::refreshFetchesShownStep()
{
    auto form = h.makeForm();
    form->HScroll1->setValue(2);
    h.server.clearRequests();

    form->Command10->click();

    QCOMPARE(fileNames(h.server.requests()), mapFiles(2, FetchOrder));
    QCOMPARE(form->Label3->text(), msg(54));
}

void TstFormRunCommands::maximumStep_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("stepAfter");
    QTest::addColumn<bool>("warned");

    QTest::newRow("40: accepted with a warning") << "40" << 0 << 40 << 0 << true;
    QTest::newRow("36: no warning") << "36" << 4 << 36 << 4 << false;
    QTest::newRow("zero: ignored") << "0" << 4 << 30 << 4 << false;
    QTest::newRow("not a number: ignored") << "abc" << 4 << 30 << 4 << false;
    QTest::newRow("negative: ignored") << "-3" << 4 << 30 << 4 << false;
    QTest::newRow("below the shown step moves it") << "5" << 10 << 5 << 5 << false;
    QTest::newRow("halves go to even") << "12.5" << 20 << 12 << 12 << false;
    QTest::newRow("largest that fits") << "5461" << 4 << MaxStepLimit << 4 << true;
    QTest::newRow("one too many: refused") << "5462" << 4 << 30 << 4 << true;
    QTest::newRow("huge: refused") << "99999999999" << 4 << 30 << 4 << true;
    QTest::newRow("beyond double: refused") << "1e400" << 4 << 30 << 4 << true;
}

void TstFormRunCommands::maximumStep()
{
    QFETCH(QString, text);
    QFETCH(int, step);
    QFETCH(int, maximum);
    QFETCH(int, stepAfter);
    QFETCH(bool, warned);
    auto form = h.makeForm();
    form->HScroll1->setValue(step);
    form->Label3->setText(QStringLiteral("before"));

    form->Text1->setText(text);

    QCOMPARE(form->HScroll1->maximum(), maximum);
    QCOMPARE(form->HScroll1->value(), stepAfter);
    // A step that moves redraws the map, which writes its own status.
    QCOMPARE(form->Label3->text() == msg(62), warned);
}

void TstFormRunCommands::refusedMaximumNotDownloaded()
{
    auto form = h.makeForm();
    form->Text1->setText(QStringLiteral("3"));
    form->Text1->setText(QStringLiteral("99999999999"));
    CaptionRecorder recorder(form->Command15);
    auto stopper = connect(form->Service, &RetrievalService::statusText, form.get(), [&](const QString &text) {
        if (text == msg(54))
            form->Command15->click();
    });

    form->Command15->click();

    disconnect(stopper);
    const QStringList captions = recorder.finish();
    // The pass runs to the maximum still accepted, 3: 28 maps.
    QCOMPARE(captions.value(0), downloadAllCaption(0, 1, 3, QLocale()));
    QCOMPARE(h.server.requests().size(), 1);
}

QTEST_MAIN(TstFormRunCommands)
#include "tst_formruncommands.moc"
