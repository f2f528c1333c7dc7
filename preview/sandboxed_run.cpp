#include "preview/sandboxed_run.h"

#include "posix/path_confinement.h"
#include "sandbox/ghostscript_sandbox.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>

namespace preview {

namespace {

// The end of a program's complaints is where it says what went wrong.
constexpr qsizetype errorsKept = 4096;

// The kernel's rules for a confined run, made in this process since the child may only enter
// them. An invalid descriptor on a kernel without Landlock: the program's own defences remain,
// as on any other system.
posix::UniqueFd confinementFor(const QString &program, const QString &folder, Reach reach)
{
    posix::PathConfinement confinement;
    std::vector<posix::UniqueFd> held;
    sandbox::allowGhostscriptResources(confinement, held);
    const auto allow = [&](const QString &path, auto rule) {
        posix::UniqueFd fd(::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC));
        if (fd.valid())
            (confinement.*rule)(fd.get());
        held.push_back(std::move(fd));
    };
    // The system's programs: Ghostscript, the shell and what a script runs, and what a program
    // reads as it starts: the libraries' index, the paper size, the time zone.
    allow(QStringLiteral("/usr"), &posix::PathConfinement::allowRunning);
    for (const char *path : {"/etc/ld.so.cache", "/etc/papersize", "/etc/localtime"})
        allow(QString::fromLatin1(path), &posix::PathConfinement::allowReading);
    const QString found = QStandardPaths::findExecutable(program);
    allow(found.isEmpty() ? program : found, &posix::PathConfinement::allowRunning);
    allow(folder, &posix::PathConfinement::allowWriting);
    allow(QStringLiteral("/dev/null"), &posix::PathConfinement::allowWriting);
    if (reach.readable >= 0)
        confinement.allowReading(reach.readable);
    return confinement.prepare();
}

} // namespace

SandboxedRun::SandboxedRun(QObject *parent) : QObject(parent) {}

SandboxedRun::~SandboxedRun()
{
    stop();
}

void SandboxedRun::start(const QString &program, const QStringList &arguments,
                         const QByteArray &input, Limits limits, const QStringList &unsetVariables,
                         Reach reach)
{
    stop();
    m_limits = limits;
    m_output.clear();
    m_errors.clear();
    // The document's own temporary files, and nothing else, are all it may write.
    m_folder = std::make_unique<QTemporaryDir>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : unsetVariables)
        environment.remove(name);
    environment.remove(QStringLiteral("TEMP"));
    environment.remove(QStringLiteral("TMP"));
    environment.insert(QStringLiteral("TMPDIR"), m_folder->path());

    m_process = new QProcess(this);
    m_process->setProcessEnvironment(environment);
    m_process->setWorkingDirectory(m_folder->path());
    const posix::UniqueFd confinement =
        reach.confined ? confinementFor(program, m_folder->path(), reach) : posix::UniqueFd();
    const int ruleset = confinement.get();
    const int readable = reach.readable;
    // Between fork and exec only system calls are safe: the rules were made beforehand.
    m_process->setChildProcessModifier([ruleset, readable] {
        // The helper never outlives the window that asked for the picture.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (readable >= 0)
            ::fcntl(readable, F_SETFD, 0);
        if (ruleset >= 0 && !posix::PathConfinement::enter(ruleset))
            ::_exit(127);
    });
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        m_output += m_process->readAllStandardOutput();
        if (m_output.size() > m_limits.output)
            fail(Failure::TooMuchOutput);
    });
    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        m_errors += m_process->readAllStandardError();
        if (m_errors.size() > 2 * errorsKept)
            m_errors = m_errors.right(errorsKept);
    });
    connect(m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                m_output += m_process->readAllStandardOutput();
                if (m_output.size() > m_limits.output)
                    return fail(Failure::TooMuchOutput);
                stop();
                emit finished(exitCode, status == QProcess::CrashExit);
            });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(Failure::NotStarted);
    });

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { fail(Failure::TooLong); });
    m_timer->start(m_limits.time);
    if (input.isEmpty())
        m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->start(program, arguments);
    // A program that could not start is already answered for, and gone.
    if (m_process && !input.isEmpty()) {
        m_process->write(input);
        m_process->closeWriteChannel();
    }
}

void SandboxedRun::fail(Failure failure)
{
    stop();
    emit failed(failure);
}

void SandboxedRun::stop()
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
    m_folder.reset();
}

} // namespace preview
