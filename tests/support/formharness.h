#pragma once
// Form1 offscreen against the in-process demonstration server, with isolated settings
// and a fresh cache folder per form.
#include "viewer/form1.h"

#include "forecast/geometry.h"
#include "mapserver/demoserver.h"
#include "retrieval/catalogue.h"
#include "retrieval/retrievalservice.h"
#include "shell/messages.h"
#include "shell/settings.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTimer>
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

    // Once per test case, numbers written the French way (the panels' decimal comma).
    bool startInFrench()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        return start();
    }

    // Before each test: empty settings, a server without faults.
    void resetAll()
    {
        resetSettings();
        server.clearFaults();
    }

    // Empty settings ("help" set to keep the start-up window away unless a test wants it).
    void resetSettings(const char *help = "1")
    {
        QSettings settings(QStringLiteral("Cartavent"), QStringLiteral("Cartavent"));
        settings.clear();
        settings.sync();
        if (help)
            SavedSettings::writeText(QStringLiteral("help"), QString::fromLatin1(help));
        Messages::loadBuiltIn();
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

    // After start-up, the place of the point forecast at (x, y) twips.
    std::unique_ptr<Form1> makeFormAt(float x, float y)
    {
        auto form = makeForm();
        setPlace(*form, x, y);
        return form;
    }

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
            if (!form.service().active() && !form.isLoading())
                return true;
            QTest::qWait(5);
        }
        return false;
    }

    // A control of the window by its design name; a name that is not there ends the test run.
    template <class T = QWidget>
    static T *ctl(const QWidget &form, const char *name)
    {
        T *w = form.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    // One tick of the animation clock, as if 500 ms had passed.
    static void tick(const Form1 &form)
    {
        QMetaObject::invokeMethod(form.findChild<QTimer *>(QStringLiteral("Timer1")), "timeout");
    }

    // The pointer at a position of the map, in twips (15 to a pixel), no button down.
    static void hover(const Form1 &form, float x, float y)
    {
        QWidget *map = ctl(form, "Picture1");
        const QPointF at(x / 15.0, y / 15.0);
        QMouseEvent move(QEvent::MouseMove, at, map->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(map, &move);
    }

    // One wheel notch (or more: 120 each) over a pixel of the map, away from the user to zoom in.
    static void wheel(const Form1 &form, QPointF pixel, int angle = 120)
    {
        QWidget *map = ctl(form, "Picture1");
        QWheelEvent turn(pixel, map->mapToGlobal(pixel), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(map, &turn);
    }

    // "Max échéance" typed over and ended with Enter, as a user would.
    static void typeMaxStep(const Form1 &form, const QString &text)
    {
        QWidget *box = ctl(form, "Text1");
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // The place of the point forecast, in both map frames.
    static void setPlace(Form1 &form, float x, float y)
    {
        float x2 = 0, y2 = 0;
        ConvertD1TOD2(x, y, x2, y2);
        form.model().setPlace(x, y, x2, y2);
    }

    // The help window, once created.
    static QWidget *helpWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("Form2"))
                return w;
        }
        return nullptr;
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
