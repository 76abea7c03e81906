#pragma once
// Writing an export: into a temporary file beside the chosen one, renamed over it at the
// end, so a cancelled or failed export leaves nothing under the name nor beside it.
#include <QImage>
#include <QSaveFile>
#include <QString>

enum class ExportOutcome { Written, Cancelled, NothingToWrite, Unwritable, WriteFailed };

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::NothingToWrite;
    QString path;    // the file chosen
    QString reason;  // the system's words for a failure
    int frames = 0;  // of an animation
};

// The status line: the file written, or why nothing was.
QString exportStatusText(const ExportResult &result);

class ExportFile {
public:
    explicit ExportFile(const QString &path);

    // False when the folder takes no file: the result says so.
    bool open();
    QIODevice &device() { return m_file; }
    // False once a write failed; the reason is kept for the result.
    bool write(const char *data, qint64 length);
    // Renames the temporary file over the chosen one: Written, or WriteFailed (a full disk
    // often shows only here, when the last bytes are flushed).
    ExportResult commit(int frames = 0);
    // Removes the temporary file; the result carries `why`.
    ExportResult discard(ExportOutcome why, const QString &reason = {});
    const ExportResult &result() const { return m_result; }

private:
    QSaveFile m_file;
    ExportResult m_result;
};

// The picture as a PNG at path.
ExportResult savePng(const QImage &image, const QString &path);
