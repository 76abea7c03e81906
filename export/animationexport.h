#pragma once
// The animated GIF of the cached steps of one kind: a job that writes one frame per turn of
// the event loop, so the window stays live, and reports its progress and its outcome.
#include "export/exportfile.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QStringList>

#include <memory>

class GifStream;
struct MapKind;

// The steps of a kind whose maps are in the cache folder, in step order.
QList<int> cachedSteps(const QString &cacheDir, const MapKind &kind);

class AnimationExport : public QObject {
    Q_OBJECT
public:
    static constexpr int FrameDelayCentiseconds = 50;  // two frames a second

    // The frames are the pictures of these files, in this order; a file that is gone or does
    // not decode by the time its turn comes is left out.
    AnimationExport(const QStringList &framePaths, const QString &target, QObject *parent = nullptr);
    ~AnimationExport() override;

    // The first frame follows on the event loop.
    void start();
    // Stops at once and removes what was written; harmless once finished.
    void cancel();
    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    void progress(int done, int total);  // files taken so far, written or left out
    void finished(const ExportResult &result);

private:
    void nextFrame();
    bool writeFrame(const QString &path);
    void abandon(ExportOutcome why);
    void finish(const ExportResult &result);

    QStringList m_paths;
    int m_next = 0;
    int m_written = 0;
    bool m_started = false;
    bool m_finished = false;
    QSize m_screen;
    ExportFile m_file;
    std::unique_ptr<GifStream> m_gif;
};
