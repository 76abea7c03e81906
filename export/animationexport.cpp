#include "export/animationexport.h"

#include "core/kinds.h"
#include "gif/gifencoder.h"
#include "shell/imageloader.h"

#include <QDir>
#include <QPainter>
#include <QTimer>
#include <algorithm>

QList<int> cachedSteps(const QString &cacheDir, const MapKind &kind)
{
    const QString key = QLatin1String(kind.key);
    QList<int> steps;
    const QStringList names = QDir(cacheDir).entryList({key + QStringLiteral("*.png")}, QDir::Files);
    for (const QString &name : names) {
        bool number = false;
        const int step = name.mid(key.size(), name.size() - key.size() - 4).toInt(&number);
        // The name must be the step's own: not "temp07.png", nor a leftover "temp7.png.Ab12Cd".
        if (number && forecastCacheName(kind, step) == name)
            steps << step;
    }
    std::sort(steps.begin(), steps.end());
    return steps;
}

AnimationExport::AnimationExport(const QStringList &framePaths, const QString &target, QObject *parent)
    : QObject(parent), m_paths(framePaths), m_file(target)
{
}

AnimationExport::~AnimationExport() = default;

void AnimationExport::start()
{
    if (m_started || m_finished)
        return;
    m_started = true;
    if (!m_file.open()) {
        finish(m_file.result());
        return;
    }
    m_gif = std::make_unique<GifStream>([this](const char *data, int length) { return m_file.write(data, length); }, true);
    QTimer::singleShot(0, this, &AnimationExport::nextFrame);
}

void AnimationExport::cancel()
{
    if (!m_finished)
        abandon(ExportOutcome::Cancelled);
}

void AnimationExport::nextFrame()
{
    if (m_finished)
        return;
    if (m_next < m_paths.size()) {
        if (!writeFrame(m_paths[m_next++])) {
            abandon(ExportOutcome::WriteFailed);
            return;
        }
        Q_EMIT progress(m_next, int(m_paths.size()));
        QTimer::singleShot(0, this, &AnimationExport::nextFrame);
        return;
    }
    if (m_written == 0)
        abandon(ExportOutcome::NothingToWrite);
    else if (!m_gif->finish())
        abandon(ExportOutcome::WriteFailed);
    else
        finish(m_file.commit(m_written));
}

// False only when the file could not take the frame; a map that cannot be read is skipped.
bool AnimationExport::writeFrame(const QString &path)
{
    QImage map = LoadPictureFile(path).picture;
    if (map.isNull())
        return true;
    if (m_screen.isEmpty())
        m_screen = map.size();
    if (map.size() != m_screen) {
        // A map of another size is shown on the first one's black screen, from the corner.
        QImage framed(m_screen, QImage::Format_RGB32);
        framed.fill(Qt::black);
        QPainter(&framed).drawImage(0, 0, map);
        map = framed;
    }
    if (!m_gif->addFrame(indexOpaque(map), FrameDelayCentiseconds))
        return false;
    ++m_written;
    return true;
}

// The stream is closed first: closing writes its trailer, which must still find the file open.
void AnimationExport::abandon(ExportOutcome why)
{
    m_gif.reset();
    finish(m_file.discard(why, why == ExportOutcome::WriteFailed ? m_file.result().reason : QString()));
}

void AnimationExport::finish(const ExportResult &result)
{
    m_finished = true;
    m_gif.reset();
    Q_EMIT finished(result);
}
