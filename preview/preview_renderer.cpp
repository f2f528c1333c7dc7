#include "preview/preview_renderer.h"

#include "posix/eintr.h"
#include "preview/pixels_message.h"
#include "preview/sandboxed_run.h"
#include "sandbox/ghostscript_sandbox.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace preview {

namespace {

// Enough for any picture the preview draws; more is a document gone wrong.
constexpr qint64 outputLimit = qint64{256} * 1024 * 1024;
// The TIFF picture only stands in until Ghostscript's comes: not worth a longer wait.
constexpr std::chrono::milliseconds tiffTimeLimit{2000};
constexpr int supersampling = 2;
// Letter, Ghostscript's default page, for a file without a bounding box.
constexpr double defaultWidth = 612;
constexpr double defaultHeight = 792;

QString impossible(const QString &reason)
{
    return QStringLiteral("Aperçu impossible : ") + reason;
}

// The bytes of a DOS EPS's TIFF picture; empty when it has none, or none worth decoding.
QByteArray tiffBytes(int fd, const EpsFacts &facts)
{
    if (facts.tiffLength <= 0 || facts.tiffLength > PixelsMessage::tiffLimit)
        return {};
    QByteArray bytes(facts.tiffLength, Qt::Uninitialized);
    const ssize_t got = posix::retryOnInterrupt([&] {
        return ::pread(fd, bytes.data(), static_cast<std::size_t>(bytes.size()), facts.tiffOffset);
    });
    return got == facts.tiffLength ? bytes : QByteArray();
}

} // namespace

PreviewRenderer::PreviewRenderer(QObject *parent)
    : QObject(parent), m_program(QStringLiteral("gs")), m_cache(qsizetype{64} * 1024) // in KiB
{
    if (QCoreApplication::instance())
        m_tiffDecoder =
            QCoreApplication::applicationDirPath() + QStringLiteral("/brakwen-tiff-preview");
}

PreviewRenderer::~PreviewRenderer()
{
    stopProcess();
}

void PreviewRenderer::setProgram(const QString &program)
{
    m_program = program;
}

void PreviewRenderer::setTiffDecoder(const QString &program)
{
    m_tiffDecoder = program;
}

void PreviewRenderer::setTimeLimit(std::chrono::milliseconds limit)
{
    m_timeLimit = limit;
}

QString PreviewRenderer::cacheKey(const QByteArray &path, const QSize &size, const EpsFacts &facts)
{
    return QString::fromLatin1(path.toHex()) + QLatin1Char(' ') + QString::number(facts.fileSize) +
           QLatin1Char(' ') + QString::number(facts.modified.toMSecsSinceEpoch()) +
           QLatin1Char(' ') + QString::number(size.width()) + QLatin1Char('x') +
           QString::number(size.height());
}

void PreviewRenderer::request(const QByteArray &path, const QSize &size)
{
    m_ahead.clear();
    // Already being rendered ahead: that rendering now answers.
    if (m_rendering && m_job.ahead && m_job.path == path && m_job.size == size) {
        m_job.ahead = false;
        return;
    }
    stopProcess();
    Job job{path, size, readEpsFacts(path), false};
    if (!job.facts.readable) {
        emit failed(path, impossible(QStringLiteral("le fichier ne peut pas être lu")));
        return;
    }
    if (const QImage *kept = m_cache.object(cacheKey(path, size, job.facts))) {
        emit shown(path, *kept);
        return;
    }
    start(std::move(job));
}

void PreviewRenderer::prefetch(const QList<QByteArray> &paths, const QSize &size)
{
    m_ahead.clear();
    for (const QByteArray &path : paths)
        m_ahead.push_back(Job{path, size, {}, true});
    if (!m_rendering)
        startNextAhead();
}

void PreviewRenderer::cancel()
{
    m_ahead.clear();
    stopProcess();
}

void PreviewRenderer::startNextAhead()
{
    // Whoever was answered may already have asked for more: one rendering at a time.
    if (m_rendering)
        return;
    while (!m_ahead.empty()) {
        Job job = std::move(m_ahead.front());
        m_ahead.pop_front();
        job.facts = readEpsFacts(job.path);
        if (job.facts.readable && !m_cache.contains(cacheKey(job.path, job.size, job.facts))) {
            start(std::move(job));
            return;
        }
    }
}

QStringList PreviewRenderer::arguments(const EpsFacts &facts, const QSize &size) const
{
    const double width = facts.box ? facts.box->width() : defaultWidth;
    const double height = facts.box ? facts.box->height() : defaultHeight;
    const double scale = std::min(size.width() / width, size.height() / height);
    // Drawn at twice the size and scaled down smoothly: Ghostscript's own smoothing costs ten
    // times the rendering on pages of much text, this costs a few milliseconds.
    const double dpi = std::clamp(72 * scale * supersampling, 1.0, 2400.0);
    QStringList arguments;
    for (const std::string &option : sandbox::ghostscriptOptions())
        arguments << QString::fromStdString(option);
    arguments << QStringLiteral("-sDEVICE=ppmraw")
              << QStringLiteral("-r") + QString::number(dpi, 'f', 3)
              << QStringLiteral("-sstdout=%stderr") << QStringLiteral("-sOutputFile=-");
    if (facts.box)
        arguments << QStringLiteral("-dEPSCrop");
    // The file as this process holds it open, handed down under the same number: Ghostscript
    // reads a named file in blocks (its standard input a byte at a time, several times slower),
    // and a name that is not UTF-8 cannot pass as an argument. A DOS EPS's sections are found
    // by Ghostscript itself.
    arguments << QStringLiteral("/dev/fd/%1").arg(m_input);
    return arguments;
}

void PreviewRenderer::start(Job job)
{
    m_job = std::move(job);
    m_input = posix::retryOnInterrupt([&] {
        return ::open(m_job.path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    });
    if (m_input < 0) {
        fail(QStringLiteral("le fichier ne peut pas être lu"));
        return;
    }
    if (!m_job.ahead)
        decodeTiff();

    m_rendering = new SandboxedRun(this);
    connect(m_rendering, &SandboxedRun::finished, this, &PreviewRenderer::finish);
    connect(m_rendering, &SandboxedRun::failed, this, [this](SandboxedRun::Failure failure) {
        switch (failure) {
        case SandboxedRun::Failure::NotStarted:
            return fail(QStringLiteral("Ghostscript (gs) ne peut pas être lancé"));
        case SandboxedRun::Failure::TooMuchOutput:
            return fail(QStringLiteral("l'image rendue est démesurée"));
        case SandboxedRun::Failure::TooLong:
            break;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_timeLimit).count();
        fail(QStringLiteral("le rendu a duré plus de %1 seconde%2")
                 .arg(seconds)
                 .arg(seconds > 1 ? QStringLiteral("s") : QString()));
    });
    QStringList dropped;
    for (const QString &name : QProcessEnvironment::systemEnvironment().keys())
        if (sandbox::isGhostscriptSetting(name.toStdString()))
            dropped << name;
    m_rendering->start(m_program, arguments(m_job.facts, m_job.size), {},
                       {m_timeLimit, outputLimit}, dropped,
                       {.confined = true, .readable = m_input});
}

void PreviewRenderer::decodeTiff()
{
    const QByteArray bytes = tiffBytes(m_input, m_job.facts);
    if (bytes.isEmpty() || m_tiffDecoder.isEmpty())
        return;
    // Shown only while Ghostscript's picture is still to come; a picture that fails is skipped.
    m_picture = new SandboxedRun(this);
    connect(m_picture, &SandboxedRun::finished, this,
            [this, path = m_job.path](int exitCode, bool crashed) {
                const QImage image = exitCode == 0 && !crashed
                                         ? PixelsMessage::decode(m_picture->output())
                                         : QImage();
                stopRun(m_picture);
                if (!image.isNull())
                    emit provisional(path, image);
            });
    connect(m_picture, &SandboxedRun::failed, this, [this] { stopRun(m_picture); });
    m_picture->start(m_tiffDecoder, {}, bytes, {tiffTimeLimit, PixelsMessage::pixelsLimit + 64});
}

void PreviewRenderer::finish(int exitCode, bool crashed)
{
    if (!m_rendering)
        return;
    const QByteArray output = m_rendering->output();
    QImage image;
    if (crashed)
        return fail(QStringLiteral("Ghostscript s'est arrêté brutalement"));
    if (exitCode != 0) {
        // Ghostscript says "Error: /undefined in nosuchop" ("in --file--" for an operator); the
        // two names tell what went wrong.
        static const QRegularExpression error(
            QStringLiteral("Error: /(\\S+) in (?:--)?([^\\s-]\\S*?)(?:--)?(?:\\s|$)"));
        const QRegularExpressionMatch said =
            error.match(QString::fromLatin1(m_rendering->errors()));
        if (said.hasMatch())
            return fail(QStringLiteral("erreur PostScript %1 dans %2")
                            .arg(said.captured(1), said.captured(2)));
        return fail(QStringLiteral("Ghostscript a échoué (code %1) : le fichier n'est pas du "
                                   "PostScript lisible")
                        .arg(exitCode));
    }
    if (!image.loadFromData(output, "PPM") || image.isNull())
        return fail(QStringLiteral("Ghostscript n'a rendu aucune image"));
    if (image.width() >= supersampling && image.height() >= supersampling)
        image = image.scaled(image.size() / supersampling, Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    const Job done = m_job;
    stopProcess();
    m_cache.insert(cacheKey(done.path, done.size, done.facts), new QImage(image),
                   std::max<qsizetype>(1, image.sizeInBytes() / 1024));
    if (!done.ahead)
        emit shown(done.path, image);
    startNextAhead();
}

void PreviewRenderer::fail(const QString &reason)
{
    const Job done = m_job;
    stopProcess();
    if (!done.ahead)
        emit failed(done.path, impossible(reason));
    startNextAhead();
}

void PreviewRenderer::stopRun(SandboxedRun *&run)
{
    if (!run)
        return;
    // Ended from within its own answer, it goes once that answer is over.
    run->disconnect(this);
    run->stop();
    run->deleteLater();
    run = nullptr;
}

void PreviewRenderer::stopProcess()
{
    stopRun(m_rendering);
    stopRun(m_picture);
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
}

} // namespace preview
