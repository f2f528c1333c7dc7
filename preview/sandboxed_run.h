#pragma once

// One run of a helper program on one untrusted document, the way the preview runs every such
// program: in a private temporary folder that is its working folder and its TMPDIR, with the
// environment's settings for the helper taken out, its standard input the bytes it is given (or
// nothing), dead with the window that started it, ended at a time limit and as soon as it writes
// more than it may. What the program itself may reach is its own business (Ghostscript's -dSAFER,
// the TIFF decoder's confinement); this keeps everything around it the same for both.

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>

class QProcess;
class QTemporaryDir;
class QTimer;

namespace preview {

class SandboxedRun : public QObject
{
    Q_OBJECT

public:
    enum class Failure { NotStarted, TooLong, TooMuchOutput };

    struct Limits
    {
        std::chrono::milliseconds time;
        qint64 output;
    };

    explicit SandboxedRun(QObject *parent = nullptr);
    // A run still under way is ended.
    ~SandboxedRun() override;

    // Starts `program`; `input` is written to its standard input, which is then closed.
    // `unsetVariables` are left out of its environment.
    void start(const QString &program, const QStringList &arguments, const QByteArray &input,
               Limits limits, const QStringList &unsetVariables = {});
    // Ends the program at once, answering nothing.
    void stop();

    bool running() const { return m_process != nullptr; }
    // What the program wrote: all of its standard output, the end of its standard error.
    const QByteArray &output() const { return m_output; }
    const QByteArray &errors() const { return m_errors; }

signals:
    void finished(int exitCode, bool crashed);
    void failed(preview::SandboxedRun::Failure failure);

private:
    void fail(Failure failure);

    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess *m_process = nullptr;
    QTimer *m_timer = nullptr;
    Limits m_limits{};
    QByteArray m_output;
    QByteArray m_errors;
};

} // namespace preview
