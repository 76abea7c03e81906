// The viewer: command line, application object, main window.
#include "mapserver/demoserver.h"
#include "shell/commandline.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "viewer/form1.h"
#include "viewer/hostchoice.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <cstdio>
#include <memory>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// Renders the window into a PNG file; false with a reason when it cannot be written.
bool saveScreenshot(QWidget *window, const QString &file, QString &reason)
{
    QImageWriter writer(file, "png");
    if (writer.write(window->grab().toImage()))
        return true;
    reason = writer.errorString();
    return false;
}

// Help, version and bad usage need no display: answered before the application starts, in
// the language asked for. Returns the exit status, or -1 to go on.
int answerWithoutWindow(const QStringList &args)
{
    const QString languageProblem = loadConsoleLanguage(parseCommandLine(args), programDir());
    const CommandLine line = parseCommandLine(args);  // its problems in that language
    if ((line.badUsage || line.showHelp || line.showVersion) && !languageProblem.isEmpty())
        printLine(stderr, languageProblem);
    if (line.badUsage) {
        for (const QString &problem : line.problems)
            printLine(stderr, problem);
        std::fputs(commandLineUsage().toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (line.showHelp) {
        std::fputs(commandLineUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.showVersion) {
        printLine(stdout, QStringLiteral("cartavent " CARTAVENT_VERSION));
        return 0;
    }
    for (const QString &problem : line.problems)
        printLine(stderr, problem);
    return -1;
}

void setUpApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Cartavent"));
    QCoreApplication::setApplicationName(QStringLiteral("Cartavent"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CARTAVENT_VERSION));
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("cartavent"));
}

// The picture is taken once start-up has drawn the map it fetched; then the program ends.
void takeScreenshotWhenStarted(Form1 &form, const QString &file)
{
    QObject::connect(&form, &Form1::startupFinished, &form, [&form, file] {
        QString reason;
        if (saveScreenshot(&form, file, reason)) {
            QCoreApplication::exit(0);
            return;
        }
        printLine(stderr, msg(Msg::ScreenshotFailed).arg(QDir::toNativeSeparators(file), reason));
        QCoreApplication::exit(1);
    });
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (const int status = answerWithoutWindow(args); status >= 0)
        return status;
    const CommandLine line = parseCommandLine(args);

    QApplication app(argc, argv);
    setUpApplication();

    Form1Config config;
    config.programDir = programDir();
    config.cacheDir = chooseCacheDir(line.cacheDir);
    config.hosts = line.hosts;
    config.language = line.language;
    config.deleteAll = line.deleteAll;
    config.unattended = !line.screenshot.isEmpty();
    config.endProcessOnClose = true;

    // No host given or saved: the maps come from the built-in server, on loopback.
    std::unique_ptr<DemoMapServer> demo;
    if (chooseMapHosts(config.hosts, SavedSettings::hosts()).isEmpty()) {
        demo = std::make_unique<DemoMapServer>();
        if (demo->start())
            config.demoServer = demo.get();
    }

    Form1 form(config);
    if (!line.screenshot.isEmpty())
        takeScreenshotWhenStarted(form, line.screenshot);
    form.Form_Load();
    return app.exec();
}
