// A cache folder that cannot take the maps (mounted read-only, or full): the download fails
// with a reason in the status line, keeps the maps already there and never leaves part of a
// map under a map's name. Mounting needs root: skipped otherwise.
#include "cacheaudit.h"

#include "mapserver/demoserver.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "tests/support/transferenvironment.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

constexpr int LastStep = 2;

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

class TestUnwritableCache : public QObject {
    Q_OBJECT
    TransferEnvironment m_environment;
    DemoMapServer m_server;
    std::unique_ptr<QTemporaryDir> m_mountPoint;
    bool m_mounted = false;

    // A pass of "Télécharger tout" into the folder; the batch's failure count, and its status.
    int downloadAll(const QString &folder, QString *status = nullptr, QString *lastError = nullptr)
    {
        const std::unique_ptr<RetrievalService> service = serviceOn(m_server.hostPort(), folder);
        QSignalSpy statusSpy(service.get(), &RetrievalService::statusText);
        MapBatch *pass = service->downloadAll(LastStep);
        QSignalSpy finished(pass, &MapBatch::finished);
        if (!finished.wait(120000))
            return -1;
        if (status && !statusSpy.isEmpty())
            *status = statusSpy.last().first().toString();
        if (lastError)
            *lastError = pass->lastError();
        return pass->failures();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("mounting a cache folder needs root");
        Messages::set(int(Msg::Failures), QStringLiteral("%1 carte(s) en échec : %2"));
        QVERIFY(m_server.start());
        prerenderAndWait(m_server, LastStep);
    }

    void cleanup()
    {
        if (m_mounted && !run("umount", {m_mountPoint->path()}))
            run("umount", {"-l", m_mountPoint->path()});
        m_mounted = false;
        m_mountPoint.reset();
    }

    void cannotTakeTheMaps_data()
    {
        QTest::addColumn<bool>("readOnly");  // otherwise full: room for about half the maps
        QTest::addColumn<QString>("reason");  // in the status line
        QTest::newRow("read-only folder, a new run to fetch") << true << qt_error_string(EROFS);
        QTest::newRow("full folder") << false << qt_error_string(ENOSPC);
    }
    void cannotTakeTheMaps()
    {
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        AllowedMaps allowed = servedMaps(m_server, LastStep);
        qint64 total = 0;
        for (const QList<QByteArray> &bytes : std::as_const(allowed))
            total += bytes.first().size();
        m_mountPoint = std::make_unique<QTemporaryDir>();
        const QString folder = m_mountPoint->path();
        const QString size = QStringLiteral("size=%1k").arg(readOnly ? 4 * total / 1024 + 64 : total / 2048);
        if (!run("mount", {"-t", "tmpfs", "-o", size, "tmpfs", folder}))
            QSKIP("tmpfs cannot be mounted here");
        m_mounted = true;

        AllowedMaps before;
        if (readOnly) {
            QCOMPARE(downloadAll(folder), 0);
            before = allowed;
            m_server.newRun();  // every map changes: each one would be replaced
            QVERIFY(run("mount", {"-o", "remount,ro", folder}));
        }
        const AllowedMaps served = servedMaps(m_server, LastStep);
        for (auto it = served.begin(); it != served.end(); ++it)
            allowed[it.key()] += it.value();

        QString status, lastError;
        const int failures = downloadAll(folder, &status, &lastError);
        qInfo("%s, %lld bytes of maps: %s", qPrintable(size), total, qPrintable(status));
        QVERIFY(failures > 0);
        QVERIFY2(lastError.contains(reason), qPrintable(lastError));
        QCOMPARE(status, RetrievalService::failureText(failures, lastError));
        const CacheAudit audit = auditCache(folder, allowed);
        QCOMPARE(audit.wrong, QStringList());
        QCOMPARE(audit.strays, QStringList());
        if (readOnly) {
            QCOMPARE(auditCache(folder, before).whole.size(), before.size());  // every old map kept
        } else {
            QVERIFY(!audit.whole.isEmpty());
            QCOMPARE(audit.whole.size() + failures, served.size());  // each map whole or failed
        }
    }
};

QTEST_GUILESS_MAIN(TestUnwritableCache)
#include "tst_unwritablecache.moc"
