#include "main_window_job.h"

#include "assembly/assembly_job.h"
#include "error_box.h"
#include "file_lists.h"
#include "frame_centring.h"
#include "main_window_controls.h"
#include "question_box.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <utility>

MainWindowJob::MainWindowJob(QWidget &window, MainWindowControls &controls, FileLists &lists,
                             std::function<void()> applyControlRules)
    : m_window(window), m_controls(controls), m_lists(lists),
      m_applyControlRules(std::move(applyControlRules))
{}

void MainWindowJob::run(const assembly::JobInputs &inputs, const std::string &toolDirectory)
{
    // One bar for the whole job: with a conversion, the copy fills its first half and each file
    // converted its share of the second, and the bar stays until the job is over, its boxes
    // answered.
    m_conversionAhead = inputs.convertToPdf;
    const auto jobOver = qScopeGuard([this] {
        m_conversionAhead = false;
        m_controls.PrbRunning->setVisible(false);
    });
    assembly::runJob(inputs, toolDirectory, *this);
}

void MainWindowJob::setBusyCursor(bool busy)
{
    if (busy && !m_busyCursor)
        m_busyCursor.emplace();
    else if (!busy)
        m_busyCursor.reset();
}

void MainWindowJob::setOkButtonVisible(bool visible)
{
    m_controls.BtnOk->setVisible(visible);
}

void MainWindowJob::setQuitButtonVisible(bool visible)
{
    m_controls.BtnCancel->setVisible(visible);
}

void MainWindowJob::setProgressRange(int minimum, int maximum)
{
    m_copyStart = minimum;
    m_copyEnd = maximum;
    const int end = m_conversionAhead ? maximum + (maximum - minimum) : maximum;
    QProgressBar *bar = m_controls.PrbRunning;
    bar->setRange(minimum, end);
    const QScreen *screen = bar->screen();
    m_progressPacer.start(minimum, end, qRound(bar->width() * bar->devicePixelRatioF()),
                          screen ? screen->refreshRate() : 60.0);
}

void MainWindowJob::setProgressPosition(int position)
{
    if (!m_progressPacer.due(position))
        return;
    m_controls.PrbRunning->setValue(position);
    // The job runs on this thread: the window repaints here, so the bar visibly advances and the
    // window never looks frozen.
    m_inputGate.processEvents();
}

void MainWindowJob::setProgressVisible(bool visible)
{
    // The job is done with the bar once the copy is over; the conversion is not.
    if (!visible && std::exchange(m_conversionAhead, false)) {
        // The pacer may have skipped the copy's last steps.
        m_controls.PrbRunning->setValue(m_copyEnd);
        return;
    }
    m_controls.PrbRunning->setVisible(visible);
}

void MainWindowJob::conversionProgress(int done, int total, int /*finished*/)
{
    if (total <= 0)
        return;
    const qint64 share = qint64(done) * (m_copyEnd - m_copyStart) / total;
    m_controls.PrbRunning->setValue(m_copyEnd + int(share));
    m_inputGate.processEvents();
}

void MainWindowJob::waitingForConverter()
{
    m_inputGate.processEvents();
}

void MainWindowJob::showErrorBox(const std::string &message, const std::string &cause)
{
    // Over the main window, which it keeps above, and centred on the screen; the box's own text
    // first, as always, and why, when known, on a line of its own below.
    ErrorBox box(QStringLiteral("Erreur"), QString::fromStdString(message), &m_window,
                 QString::fromStdString(cause));
    FrameCentring::atNextShow(&box, FrameCentring::screenCentre(&m_window), &m_window);
    const JobInputGate::Opening answering(m_inputGate);
    box.exec();
}

bool MainWindowJob::confirmReplacement(const std::string &fileName)
{
    QuestionBox box(QStringLiteral("Le fichier « %1 » existe déjà. Le remplacer ?")
                        .arg(QFile::decodeName(QByteArray::fromStdString(fileName))),
                    &m_window);
    FrameCentring::atNextShow(&box, FrameCentring::screenCentre(&m_window), &m_window);
    const JobInputGate::Opening answering(m_inputGate);
    return box.ask();
}

void MainWindowJob::clearLists()
{
    m_lists.clear();
}

void MainWindowJob::applyControlRules()
{
    m_applyControlRules();
}
