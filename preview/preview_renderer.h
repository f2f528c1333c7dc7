#pragma once

// Renders EPS files for the preview, one at a time, in a separate Ghostscript process that never
// blocks the window: sandboxed as the converter runs it (-dSAFER, a private temporary folder, no
// file but its input, which it reads through this process's open descriptor), ended after a time
// limit, and ended as soon as another file is asked for. Results are kept by path, size and
// modification time. A DOS EPS that carries a TIFF preview shows it while the rendering runs,
// decoded in a process of its own that can reach nothing but the picture's bytes; a picture that
// fails or takes over 2 seconds is skipped. After the file asked for, the files named as next are
// rendered ahead, so that moving on shows them at once.

#include "preview/eps_facts.h"

#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <chrono>
#include <deque>

namespace preview {

class SandboxedRun;

class PreviewRenderer : public QObject
{
    Q_OBJECT

public:
    explicit PreviewRenderer(QObject *parent = nullptr);
    ~PreviewRenderer() override;

    // Ghostscript by default; the tests put a stand-in in its place.
    void setProgram(const QString &program);
    // The TIFF decoder, brakwen-tiff-preview beside the executable by default.
    void setTiffDecoder(const QString &program);
    void setTimeLimit(std::chrono::milliseconds limit);

    // Renders the file at path (the file system's own bytes) to fit in size device pixels. What
    // is under way for another file ends at once. Answers with shown() or failed(); a DOS EPS
    // with a TIFF preview gets provisional() first.
    void request(const QByteArray &path, const QSize &size);
    // Files to render ahead, once the requested one is done, most likely first.
    void prefetch(const QList<QByteArray> &paths, const QSize &size);
    // Ends whatever runs, answering nothing.
    void cancel();

    bool rendering() const { return m_rendering != nullptr; }

signals:
    void provisional(const QByteArray &path, const QImage &image);
    void shown(const QByteArray &path, const QImage &image);
    void failed(const QByteArray &path, const QString &reason);

private:
    struct Job
    {
        QByteArray path;
        QSize size;
        EpsFacts facts;
        bool ahead = false; // a prefetch: nobody waits for it
    };

    void start(Job job);
    void decodeTiff();
    void startNextAhead();
    void finish(int exitCode, bool crashed);
    void fail(const QString &reason);
    void stopProcess();
    void stopRun(SandboxedRun *&run);
    static QString cacheKey(const QByteArray &path, const QSize &size, const EpsFacts &facts);
    QStringList arguments(const EpsFacts &facts, const QSize &size) const;

    QString m_program;
    QString m_tiffDecoder;
    std::chrono::milliseconds m_timeLimit{10'000};
    QCache<QString, QImage> m_cache;

    Job m_job;
    SandboxedRun *m_rendering = nullptr; // Ghostscript
    SandboxedRun *m_picture = nullptr;   // the TIFF decoder
    int m_input = -1;                    // the file, held open while Ghostscript reads it
    std::deque<Job> m_ahead;
};

} // namespace preview
