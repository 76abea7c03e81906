// The fetch queue: what stands in the cache after each kind of fetch, and how fetches share
// the few parallel slots.
#include "retrieval/fetchqueue.h"
#include "tests/support/fixtureserver.h"
#include "tests/support/transferenvironment.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

Q_DECLARE_METATYPE(FixtureResponse)
Q_DECLARE_METATYPE(TransferOptions)

namespace {

const QByteArray kPrevious = "previous map";
const QByteArray kMap = bodyPattern(30000);

// A fetch that stays running until the test ends, holding its slot.
const FixtureResponse kHang{.hang = true};
// A few hundred milliseconds of body, so the fetch is seen running.
const FixtureResponse kSlow{.body = bodyPattern(400), .pieceSize = 100, .pieceDelayMs = 100};
// Frees its slot late enough for the test to queue more behind it first.
const FixtureResponse kSlotHolder{.body = bodyPattern(700), .pieceSize = 100, .pieceDelayMs = 100};

// A 1 x 1 GIF whose comment block makes it as long as asked.
QByteArray gifWithComment(qsizetype commentBytes)
{
    QByteArray gif("GIF89a\x01\x00\x01\x00\x00\x00\x00\x21\xfe", 15);
    for (qsizetype left = commentBytes; left > 0; left -= 255) {
        const qsizetype n = qMin<qsizetype>(255, left);
        gif += char(n) + QByteArray(n, 'c');
    }
    return gif + QByteArray("\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b", 17);
}
const QByteArray kGif = gifWithComment(2000);
const QByteArray kLongGif = gifWithComment(MapFetch::MemoryLimit + 5000);

enum class End { Wait, CancelAll, Release };
enum class Stop { ReleaseFirstWaiting, ReassignFirstWaiting, CancelAll, CancelRunning };

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Files in the folder that are not maps (every map here ends in .gif): temporary files left behind.
QStringList leftovers(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeIf([](const QString &name) { return name.endsWith(".gif"); });
    return names;
}

bool allDone(const std::vector<FetchHandle> &handles)
{
    return std::all_of(handles.begin(), handles.end(), [](const FetchHandle &h) { return h->state() == MapFetch::State::Done; });
}

} // namespace

Q_DECLARE_METATYPE(End)
Q_DECLARE_METATYPE(Stop)

class TestFetchQueue : public QObject {
    Q_OBJECT
    std::unique_ptr<TransferEnvironment> m_environment;
    std::unique_ptr<FixtureServer> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FetchQueue> m_queue;

    QString cached(const QString &name) const { return m_dir->filePath(name); }

    // Requests each path into a cache file named after it.
    std::vector<FetchHandle> requestAll(const QStringList &paths, bool urgent = false)
    {
        std::vector<FetchHandle> handles;
        for (const QString &path : paths)
            handles.push_back(m_queue->request(m_server->url(path), cached(path.mid(1)), urgent));
        return handles;
    }

    // The slots taken by fetches of which only the first ends, after a while, then the waiting
    // ones queued behind them; the others named are served whole.
    std::vector<FetchHandle> fillSlots(const QStringList &waiting, const QStringList &others = {})
    {
        QStringList running;
        for (int i = 0; i < FetchQueue::MaxParallel; ++i)
            m_server->responses[running.emplace_back(QString("/s%1.gif").arg(i))] = i ? kHang : kSlotHolder;
        for (const QString &path : waiting + others)
            m_server->responses[path] = {.body = kMap};
        return requestAll(running + waiting);
    }

private Q_SLOTS:
    void init()
    {
        m_environment = std::make_unique<TransferEnvironment>();
        m_server = std::make_unique<FixtureServer>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_queue = std::make_unique<FetchQueue>();
    }

    void cleanup()
    {
        m_queue.reset();
        m_dir.reset();
        m_server.reset();
        m_environment.reset();
    }

    void whatStandsInTheCache_data()
    {
        QTest::addColumn<FixtureResponse>("response");  // served at "/m.gif"
        QTest::addColumn<TransferOptions>("options");
        QTest::addColumn<End>("end");
        QTest::addColumn<QString>("target");  // in the cache folder
        QTest::addColumn<QString>("address"); // empty: "/m.gif" on the server
        QTest::addColumn<int>("error");       // -1: no outcome to read (nobody holds the fetch)
        const FixtureResponse trickle{.body = kMap, .pieceSize = 1000, .pieceDelayMs = 30};

        // The client's own outcomes are in tst_httpclient; these rows are the ones that leave
        // something different in the cache folder.
        auto row = [](const char *name, const FixtureResponse &response, int error, const TransferOptions &options = {},
                      End end = End::Wait, const QString &target = "m.gif", const QString &address = {}) {
            QTest::newRow(name) << response << options << end << target << address << error;
        };
        row("ok", {.body = kMap}, 0);
        row("same map again", {.body = kPrevious}, 0);  // the file is left as it was, not rewritten
        row("no Content-Length", {.body = kMap, .contentLength = false}, 0);
        row("GIF, no Content-Length", {.body = kGif, .contentLength = false}, 0);
        row("GIF cut before its trailer, no Content-Length", {.body = kGif.chopped(1), .contentLength = false}, HttpClient::ErrTransfer);
        row("GIF past the memory limit cut, no Content-Length", {.body = kLongGif.chopped(3000), .contentLength = false}, HttpClient::ErrTransfer);
        row("404", {.status = 404, .body = "<h1>Not Found</h1>"}, HttpClient::ErrNotAMap);
        row("cut body", {.headers = "Content-Length: 50000\r\n", .body = kMap, .contentLength = false}, HttpClient::ErrTransfer);
        row("stalls midway, short time-out", {.body = kMap, .pieceSize = 5000, .pieceDelayMs = 5000}, HttpClient::ErrTimeout, {.timeoutMs = 300});
        row("counted over the cap", {.body = kMap, .contentLength = false}, HttpClient::ErrTooLarge, {.maxBodyBytes = 10000});
        row("cancelAll midway", trickle, HttpClient::ErrCancelled, {}, End::CancelAll);
        row("last handle released midway", trickle, -1, {}, End::Release);
        row("empty body", {}, 0);
        row("not an address", {}, HttpClient::ErrStartFailed, {}, End::Wait, "m.gif", "not a url");
        row("folder missing", {.body = kMap}, MapFetch::FileError, {}, End::Wait, "missing/m.gif");
    }

    void whatStandsInTheCache()
    {
        QFETCH(FixtureResponse, response);
        QFETCH(TransferOptions, options);
        QFETCH(End, end);
        QFETCH(QString, target);
        QFETCH(QString, address);
        QFETCH(int, error);
        m_server->responses["/m.gif"] = response;
        m_queue->setOptions(options);
        const QString file = cached(target), folder = QFileInfo(file).absolutePath();
        const bool folderExists = QFileInfo(folder).isDir();
        if (folderExists) {
            QFile previous(file);
            QVERIFY(previous.open(QIODevice::WriteOnly));
            QVERIFY(previous.write(kPrevious) == kPrevious.size() && previous.flush());
            QVERIFY(previous.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }

        FetchHandle handle = m_queue->request(address.isEmpty() ? m_server->url("/m.gif") : address, file, false);
        QSignalSpy finished(handle.get(), &MapFetch::finished);
        if (end != End::Wait) {
            QTRY_VERIFY(handle->received() > 0);
            QCOMPARE(contents(file), kPrevious);  // the body goes beside the map, not over it
            if (end == End::CancelAll)
                m_queue->cancelAll();
            else
                handle.release();
        }
        if (handle)
            QTRY_COMPARE_WITH_TIMEOUT(handle->state(), MapFetch::State::Done, 10000);
        QTRY_COMPARE(m_queue->running(), 0);
        if (error >= 0) {
            QCOMPARE(handle->outcome().error, error);
            QCOMPARE(finished.count(), 1);
            QCOMPARE(handle->outcome().started, error != HttpClient::ErrStartFailed);
            if (error)
                QVERIFY(!handle->outcome().text.isEmpty());
        }
        if (!folderExists) {
            QVERIFY(!QFileInfo::exists(folder));
            QCOMPARE(leftovers(m_dir->path()), QStringList());
            return;
        }
        QCOMPARE(contents(file), error == 0 ? response.body : kPrevious);
        const bool untouched = QFileInfo(file).lastModified() < QDateTime::currentDateTime().addSecs(-60);
        QCOMPARE(untouched, error != 0 || response.body == kPrevious);
        QTRY_COMPARE(leftovers(folder), QStringList());
    }

    // The rename fails rather than the temporary file: still a file error, and nothing left over.
    void folderWhereTheMapGoes()
    {
        m_server->responses["/m.gif"] = {.body = kMap};
        QVERIFY(QDir(m_dir->path()).mkdir("m.gif"));
        FetchHandle handle = m_queue->request(m_server->url("/m.gif"), cached("m.gif"), false);
        QTRY_VERIFY(handle->state() == MapFetch::State::Done);
        QCOMPARE(handle->outcome().error, int(MapFetch::FileError));
        QVERIFY(QFileInfo(cached("m.gif")).isDir());
        QCOMPARE(leftovers(m_dir->path()), QStringList());
    }

    void parallelism()
    {
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths << QString("/m%1.gif").arg(i);
            m_server->responses[paths.last()] = kSlow;
        }
        int mostOpen = 0, mostRunning = 0;
        auto sample = [&] {
            mostOpen = qMax(mostOpen, m_server->openConnections());
            mostRunning = qMax(mostRunning, m_queue->running());
        };
        connect(m_queue.get(), &FetchQueue::activity, this, sample);
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, sample);
        tick.start(5);

        const std::vector<FetchHandle> handles = requestAll(paths);
        QTRY_VERIFY_WITH_TIMEOUT(allDone(handles), 10000);
        for (const FetchHandle &h : handles)
            QCOMPARE(h->outcome().error, 0);
        QCOMPARE(m_server->paths.size(), 10);
        QVERIFY2(mostOpen <= FetchQueue::MaxParallel && mostRunning <= FetchQueue::MaxParallel,
                 qPrintable(QString("open %1, running %2").arg(mostOpen).arg(mostRunning)));
        QVERIFY2(mostOpen > 1, qPrintable(QString("open %1").arg(mostOpen)));
    }

    void urgentGoesFirst_data()
    {
        QTest::addColumn<QStringList>("urgent");   // requested in turn once the slots are full
        QTest::addColumn<QStringList>("after");    // paths the server sees once a slot frees
        QTest::newRow("new request") << QStringList{"/u.gif"} << QStringList{"/u.gif", "/w0.gif", "/w1.gif", "/w2.gif", "/w3.gif"};
        QTest::newRow("a waiting file") << QStringList{"/w3.gif"} << QStringList{"/w3.gif", "/w0.gif", "/w1.gif", "/w2.gif"};
        QTest::newRow("urgent ones keep their order") << QStringList{"/u.gif", "/w2.gif"}
                                                      << QStringList{"/u.gif", "/w2.gif", "/w0.gif", "/w1.gif", "/w3.gif"};
    }

    void urgentGoesFirst()
    {
        QFETCH(QStringList, urgent);
        QFETCH(QStringList, after);
        // One slot frees after a while; the other three stay taken, so starts come one by one.
        const QStringList waiting{"/w0.gif", "/w1.gif", "/w2.gif", "/w3.gif"};
        std::vector<FetchHandle> handles = fillSlots(waiting, urgent);
        QTRY_COMPARE(m_server->paths.size(), FetchQueue::MaxParallel);
        QCOMPARE(m_queue->waiting(), waiting.size());
        std::vector<FetchHandle> late = requestAll(urgent, true);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->paths.size(), FetchQueue::MaxParallel + after.size(), 5000);
        QCOMPARE(m_server->paths.mid(FetchQueue::MaxParallel), after);
        QTRY_VERIFY(allDone(late));
        for (const FetchHandle &h : late)
            QCOMPARE(h->outcome().error, 0);
        QCOMPARE(contents(cached(urgent.last().mid(1))), kMap);
    }

    void stopWithFetchesWaiting_data()
    {
        QTest::addColumn<Stop>("stop");
        QTest::addColumn<QStringList>("fetchedLater");  // what the server sees once the slots are free
        QTest::addColumn<int>("waitingError");          // how the waiting fetches still held end
        QTest::newRow("last handle of a waiting fetch released") << Stop::ReleaseFirstWaiting << QStringList{"/w1.gif"} << 0;
        // Moving another request into the handle gives up what it held.
        QTest::newRow("handle of a waiting fetch reassigned") << Stop::ReassignFirstWaiting << QStringList{"/w1.gif", "/w2.gif"} << 0;
        QTest::newRow("cancelAll") << Stop::CancelAll << QStringList() << int(HttpClient::ErrCancelled);
        // The new options (here a cap under the map's size) reach the fetches that start afterwards.
        QTest::newRow("cancelRunning under new options") << Stop::CancelRunning << QStringList{"/w0.gif", "/w1.gif"}
                                                         << int(HttpClient::ErrTooLarge);
    }

    void stopWithFetchesWaiting()
    {
        QFETCH(Stop, stop);
        QFETCH(QStringList, fetchedLater);
        QFETCH(int, waitingError);
        const QStringList waiting{"/w0.gif", "/w1.gif"};
        std::vector<FetchHandle> handles = fillSlots(waiting, {"/w2.gif"});
        QTRY_COMPARE(m_server->paths.size(), FetchQueue::MaxParallel);

        switch (stop) {
        case Stop::ReassignFirstWaiting:
            handles[FetchQueue::MaxParallel] = m_queue->request(m_server->url("/w2.gif"), cached("w2.gif"), false);
            QCOMPARE(m_queue->waiting(), waiting.size());
            break;
        case Stop::ReleaseFirstWaiting:
            handles[FetchQueue::MaxParallel].release();
            QCOMPARE(m_queue->waiting(), waiting.size() - 1);
            break;
        case Stop::CancelAll:
            m_queue->cancelAll();
            QCOMPARE(m_queue->waiting(), 0);
            break;
        case Stop::CancelRunning:
            m_queue->setOptions({.maxBodyBytes = 1000});
            m_queue->cancelRunning();
            break;
        }
        for (size_t i = 0; i < handles.size(); ++i) {
            const bool slotsStayTaken = stop == Stop::ReleaseFirstWaiting || stop == Stop::ReassignFirstWaiting;
            if (!handles[i] || (slotsStayTaken && i < size_t(FetchQueue::MaxParallel)))
                continue;  // released, or left running
            QTRY_VERIFY_WITH_TIMEOUT(handles[i]->state() == MapFetch::State::Done, 5000);
            const bool wasRunning = i < size_t(FetchQueue::MaxParallel);
            QCOMPARE(handles[i]->outcome().error, wasRunning ? int(HttpClient::ErrCancelled) : waitingError);
        }
        QCOMPARE(m_server->paths.mid(FetchQueue::MaxParallel), fetchedLater);
        for (const QString &path : waiting)
            QCOMPARE(QFileInfo::exists(cached(path.mid(1))), waitingError == 0 && fetchedLater.contains(path));
        QTRY_COMPARE(leftovers(m_dir->path()), QStringList());
    }

    void sharedFetch_data()
    {
        QTest::addColumn<bool>("whileRunning");   // false: both asked before it starts
        QTest::addColumn<bool>("releaseFirst");   // the first asker gives up midway
        QTest::addColumn<bool>("afterDone");      // the second asks once the first has its map
        QTest::addColumn<bool>("gaveUpBefore");   // the only asker gave up before the second asks
        QTest::newRow("asked twice at once") << false << false << false << false;
        QTest::newRow("asked again while running") << true << false << false << false;
        QTest::newRow("first asker gives up") << true << true << false << false;
        QTest::newRow("asked again once done") << false << false << true << false;  // a fresh fetch, not the old outcome
        // The cancelled transfer is not joined, and the new one waits for its end.
        QTest::newRow("asked again while it is cancelled") << true << false << false << true;
    }

    void sharedFetch()
    {
        QFETCH(bool, whileRunning);
        QFETCH(bool, releaseFirst);
        QFETCH(bool, afterDone);
        QFETCH(bool, gaveUpBefore);
        m_server->responses["/m.gif"] = {.body = kMap, .pieceSize = 3000, .pieceDelayMs = 60};
        std::vector<FetchHandle> handles = requestAll({"/m.gif"});
        if (whileRunning)
            QTRY_VERIFY(handles.front()->received() > 0);
        if (afterDone) {
            QTRY_VERIFY(allDone(handles));
            m_server->responses["/m.gif"].body = bodyPattern(777);
        }
        if (gaveUpBefore)
            handles.front().release();
        handles.push_back(m_queue->request(m_server->url("/m.gif"), cached("m.gif"), false));
        if (gaveUpBefore) {
            QCOMPARE(m_queue->running(), 1);
            QCOMPARE(m_queue->waiting(), 1);
        }
        if (releaseFirst)
            handles.front().release();
        handles.erase(std::remove_if(handles.begin(), handles.end(), [](const FetchHandle &h) { return !h; }), handles.end());

        QTRY_VERIFY_WITH_TIMEOUT(allDone(handles), 10000);
        for (const FetchHandle &h : handles)
            QCOMPARE(h->outcome().error, 0);
        QCOMPARE(m_server->paths.size(), afterDone || gaveUpBefore ? 2 : 1);
        QCOMPARE(contents(cached("m.gif")), m_server->responses["/m.gif"].body);
    }
};

QTEST_GUILESS_MAIN(TestFetchQueue)
#include "tst_fetchqueue.moc"
