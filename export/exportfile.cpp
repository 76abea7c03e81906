#include "export/exportfile.h"

#include "shell/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

QString exportStatusText(const ExportResult &r)
{
    const QString path = QDir::toNativeSeparators(r.path);
    switch (r.outcome) {
    case ExportOutcome::Written:
        return r.frames > 0 ? msg(Msg::ExportAnimationSaved).arg(r.frames).arg(path) : msg(Msg::ExportImageSaved).arg(path);
    case ExportOutcome::Cancelled:
        return msg(Msg::ExportCancelled);
    case ExportOutcome::NothingToWrite:
        return msg(Msg::ExportNoSteps);
    case ExportOutcome::Unwritable:
        return msg(Msg::ExportUnwritable).arg(QDir::toNativeSeparators(QFileInfo(r.path).absolutePath()), r.reason);
    case ExportOutcome::WriteFailed:
        break;
    }
    return msg(Msg::ExportWriteFailed).arg(path, r.reason);
}

ExportFile::ExportFile(const QString &path) : m_file(path)
{
    m_result.path = path;
}

bool ExportFile::open()
{
    if (m_file.open(QIODevice::WriteOnly))
        return true;
    m_result.outcome = ExportOutcome::Unwritable;
    m_result.reason = m_file.errorString();
    return false;
}

bool ExportFile::write(const char *data, qint64 length)
{
    if (m_result.reason.isEmpty() && m_file.write(data, length) != length)
        m_result.reason = m_file.errorString();
    return m_result.reason.isEmpty();
}

ExportResult ExportFile::commit(int frames)
{
    if (!m_result.reason.isEmpty())
        return discard(ExportOutcome::WriteFailed, m_result.reason);
    if (!m_file.commit())
        return discard(ExportOutcome::WriteFailed, m_file.errorString());
    m_result.outcome = ExportOutcome::Written;
    m_result.frames = frames;
    return m_result;
}

ExportResult ExportFile::discard(ExportOutcome why, const QString &reason)
{
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit();  // after cancelWriting this only removes the temporary file
    }
    m_result.outcome = why;
    m_result.reason = reason;
    return m_result;
}

ExportResult savePng(const QImage &image, const QString &path)
{
    ExportFile file(path);
    if (!file.open())
        return file.result();
    QImageWriter writer(&file.device(), "png");
    if (!writer.write(image))
        return file.discard(ExportOutcome::WriteFailed, writer.errorString());
    return file.commit();
}
