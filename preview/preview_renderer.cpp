#include "preview/preview_renderer.h"

#include "posix/eintr.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace preview {

namespace {

// Enough for any picture the preview draws; more is a document gone wrong.
constexpr qint64 outputLimit = qint64{256} * 1024 * 1024;
constexpr qint64 tiffLimit = qint64{64} * 1024 * 1024;
constexpr int supersampling = 2;
// Letter, Ghostscript's default page, for a file without a bounding box.
constexpr double defaultWidth = 612;
constexpr double defaultHeight = 792;

QString impossible(const QString &reason)
{
    return QStringLiteral("Aperçu impossible : ") + reason;
}

QImage tiffPreview(int fd, const EpsFacts &facts)
{
    if (facts.tiffLength <= 0 || facts.tiffLength > tiffLimit)
        return {};
    QByteArray bytes(facts.tiffLength, Qt::Uninitialized);
    const ssize_t got = posix::retryOnInterrupt([&] {
        return ::pread(fd, bytes.data(), static_cast<std::size_t>(bytes.size()), facts.tiffOffset);
    });
    if (got != facts.tiffLength)
        return {};
    return QImage::fromData(bytes, "TIFF");
}

} // namespace

PreviewRenderer::PreviewRenderer(QObject *parent)
    : QObject(parent), m_program(QStringLiteral("gs")), m_cache(qsizetype{64} * 1024) // in KiB
{}

PreviewRenderer::~PreviewRenderer()
{
    stopProcess();
}

void PreviewRenderer::setProgram(const QString &program)
{
    m_program = program;
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
    if (m_process && m_job.ahead && m_job.path == path && m_job.size == size) {
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
    if (!m_process)
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
    if (m_process)
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
    QStringList arguments{QStringLiteral("-q"),
                          QStringLiteral("-dSAFER"),
                          QStringLiteral("-dBATCH"),
                          QStringLiteral("-dNOPAUSE"),
                          QStringLiteral("-sDEVICE=ppmraw"),
                          QStringLiteral("-r") + QString::number(dpi, 'f', 3),
                          QStringLiteral("-sstdout=%stderr"),
                          QStringLiteral("-sOutputFile=-")};
    if (facts.box)
        arguments << QStringLiteral("-dEPSCrop");
    // The file as this process holds it open: Ghostscript reads a named file in blocks (its
    // standard input a byte at a time, several times slower), and a name that is not UTF-8
    // cannot pass as an argument. A DOS EPS's sections are found by Ghostscript itself.
    arguments
        << QStringLiteral("/proc/%1/fd/%2").arg(QCoreApplication::applicationPid()).arg(m_input);
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
    if (!m_job.ahead) {
        const QImage tiff = tiffPreview(m_input, m_job.facts);
        if (!tiff.isNull())
            emit provisional(m_job.path, tiff);
    }

    // The document's own temporary files, and nothing else, are all it may write.
    m_temporaryFolder = std::make_unique<QTemporaryDir>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"GS_OPTIONS", "GS_DEVICE", "TEMP", "TMP"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("TMPDIR"), m_temporaryFolder->path());

    m_process = new QProcess(this);
    m_process->setProcessEnvironment(environment);
    m_process->setWorkingDirectory(m_temporaryFolder->path());
    // Ghostscript never outlives the window that asked for the picture.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_output.clear();
    m_errors.clear();
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_output += m_process->readAllStandardOutput();
        if (m_output.size() > outputLimit)
            fail(QStringLiteral("l'image rendue est démesurée"));
    });
    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        m_errors += m_process->readAllStandardError();
        if (m_errors.size() > 8192)
            m_errors = m_errors.right(4096);
    });
    connect(m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                finish(exitCode, status == QProcess::CrashExit);
            });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(QStringLiteral("Ghostscript (gs) ne peut pas être lancé"));
    });

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_timeLimit).count();
        fail(QStringLiteral("le rendu a duré plus de %1 seconde%2")
                 .arg(seconds)
                 .arg(seconds > 1 ? QStringLiteral("s") : QString()));
    });
    m_timer->start(m_timeLimit);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->start(m_program, arguments(m_job.facts, m_job.size));
}

void PreviewRenderer::finish(int exitCode, bool crashed)
{
    if (!m_process)
        return;
    m_output += m_process->readAllStandardOutput();
    QImage image;
    if (crashed)
        return fail(QStringLiteral("Ghostscript s'est arrêté brutalement"));
    if (exitCode != 0) {
        // Ghostscript says "Error: /undefined in nosuchop" ("in --file--" for an operator); the
        // two names tell what went wrong.
        static const QRegularExpression error(
            QStringLiteral("Error: /(\\S+) in (?:--)?([^\\s-]\\S*?)(?:--)?(?:\\s|$)"));
        const QRegularExpressionMatch said = error.match(QString::fromLatin1(m_errors));
        if (said.hasMatch())
            return fail(QStringLiteral("erreur PostScript %1 dans %2")
                            .arg(said.captured(1), said.captured(2)));
        return fail(QStringLiteral("Ghostscript a échoué (code %1) : le fichier n'est pas du "
                                   "PostScript lisible")
                        .arg(exitCode));
    }
    if (!image.loadFromData(m_output, "PPM") || image.isNull())
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

void PreviewRenderer::stopProcess()
{
    if (m_timer) {
        m_timer->stop();
        m_timer->deleteLater();
        m_timer = nullptr;
    }
    if (m_process) {
        QProcess *process = m_process;
        m_process = nullptr;
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);
        }
        process->deleteLater();
    }
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
    m_temporaryFolder.reset();
}

} // namespace preview
