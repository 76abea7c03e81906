#pragma once
// Form1 offscreen against the in-process demonstration server, with isolated settings
// and a fresh cache folder per form.
#include "viewer/form1.h"

#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class FormHarness {
public:
    // Once per test case.
    bool start()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        return m_settingsDir.isValid() && server.start();
    }

    // Empty settings ("help" set to keep the start-up window away unless a test wants it).
    void resetSettings(const char *help = "1")
    {
        QSettings settings(QStringLiteral("Cartavent"), QStringLiteral("Cartavent"));
        settings.clear();
        settings.sync();
        if (help)
            SavedSettings::writeText(QStringLiteral("help"), QString::fromLatin1(help));
        Messages::clear();
    }

    // A configuration over a new, empty cache folder, every host on the demonstration server.
    Form1Config config()
    {
        cache = std::make_unique<QTemporaryDir>();
        Form1Config config;
        config.cacheDir = cache->path();
        config.programDir = qEnvironmentVariable("CARTAVENT_DATA_DIR");
        const QString hp = server.hostPort();
        config.hosts = QStringList{hp, hp, hp};
        config.unattended = true;
        return config;
    }

    std::unique_ptr<Form1> makeForm(bool load = true) { return makeForm(config(), load); }

    std::unique_ptr<Form1> makeForm(const Form1Config &config, bool load = true)
    {
        auto form = std::make_unique<Form1>(config);
        if (load)
            startUp(*form);
        server.clearRequests();
        return form;
    }

    // Start-up ends after the newest-run probe and the maps it fetches.
    static void startUp(Form1 &form)
    {
        form.Form_Load();
        QTRY_VERIFY_WITH_TIMEOUT(form.startupDone(), 20000);
    }

    // Until nothing is fetched any more.
    static bool settle(Form1 &form, int timeoutMs = 20000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (!form.Service->active() && !form.isLoading())
                return true;
            QTest::qWait(5);
        }
        return false;
    }

    QString cachePath(const QString &name) const { return cache->filePath(name); }

    bool writeCache(const QString &name, const QByteArray &bytes) const
    {
        QFile f(cachePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    // Puts the server's map of this kind and step in the cache, as a download would.
    bool cacheMap(const MapKind &kind, int step)
    {
        const QString path = QStringLiteral("/wz/pics/") + forecastMapFile(kind, step);
        return writeCache(forecastCacheName(kind, step), server.mapBytes(path));
    }

    // The server's path of a forecast map: the same bytes on every map server.
    static QString mapPath(const char *key, int step)
    {
        return QStringLiteral("/wz/pics/") + forecastMapFile(*kindByKey(QLatin1String(key)), step);
    }

    DemoMapServer server;
    std::unique_ptr<QTemporaryDir> cache;

private:
    QTemporaryDir m_settingsDir;
};
