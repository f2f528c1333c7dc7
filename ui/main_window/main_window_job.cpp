#include "main_window_job.h"

#include "assembly/job_error.h"
#include "assembly/result_names.h"
#include "default_error_box.h"
#include "error_box.h"
#include "file_lists.h"
#include "frame_centring.h"
#include "job_progress_bar.h"
#include "main_window_controls.h"
#include "posix/folder.h"
#include "question_box.h"

#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <utility>

namespace {

// How often, at most, input is taken in between the job's steps: Escape is heard within this
// even while one large file is copied.
constexpr qint64 inputMilliseconds = 50;

std::vector<std::uint64_t> sizesOf(const assembly::JobInputs &inputs)
{
    std::vector<std::uint64_t> sizes(inputs.selectedFiles.size(), 0);
    const std::optional<posix::Folder> folder = posix::Folder::open(inputs.directory);
    for (std::size_t i = 0; folder && i < sizes.size(); ++i) {
        if (const auto status = folder->status(inputs.selectedFiles[i]))
            sizes[i] = static_cast<std::uint64_t>(status->st_size);
    }
    return sizes;
}

QStringList namesOf(const assembly::JobInputs &inputs)
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(inputs.selectedFiles.size()));
    for (const std::string &name : inputs.selectedFiles)
        names << QFile::decodeName(QByteArray::fromStdString(name));
    return names;
}

} // namespace

MainWindowJob::MainWindowJob(QWidget &window, MainWindowControls &controls, FileLists &lists,
                             std::function<void()> applyControlRules)
    : m_window(window), m_controls(controls), m_lists(lists),
      m_applyControlRules(std::move(applyControlRules)), m_inputGate([this] { requestStop(false); })
{}

MainWindowJob::Outcome MainWindowJob::run(const assembly::JobInputs &inputs,
                                          const std::string &toolDirectory)
{
    // One bar for the whole job, which stays until the job is over, its boxes answered.
    m_inputs = &inputs;
    m_progress.emplace(namesOf(inputs), sizesOf(inputs), inputs.convertToPdf);
    m_conversionAhead = inputs.convertToPdf;
    const auto jobOver = qScopeGuard([this] {
        m_conversionAhead = false;
        m_controls.PrbRunning->setVisible(false);
        m_controls.PrbRunning->setCaption(QString());
        m_shownText.clear();
    });
    Outcome outcome;
    try {
        outcome.report = assembly::AssemblyJob(inputs, toolDirectory, *this).run();
    } catch (const assembly::JobInterrupted &) {
        if (!m_stopping)
            throw;
        outcome.stopped = true;
    } catch (const std::exception &error) {
        // Said here, where what was kept is known; the job has given the window back.
        outcome.failed = true;
        const JobInputGate::Opening answering(m_inputGate);
        DefaultErrorBox::show(error, keptFiles(false));
    }
    return outcome;
}

void MainWindowJob::requestStop(bool thenClose)
{
    m_stopWanted = !m_deleting;
    m_closeWanted = m_closeWanted || thenClose;
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

void MainWindowJob::setProgressRange(int /*minimum*/, int /*maximum*/)
{
    // The job counts files; the bar shows what they cost.
    JobProgressBar *bar = m_controls.PrbRunning;
    bar->setRange(0, JobProgress::span);
    const QScreen *screen = bar->screen();
    m_progressPacer.start(0, JobProgress::span, qRound(bar->width() * bar->devicePixelRatioF()),
                          screen ? screen->refreshRate() : 60.0);
}

void MainWindowJob::setProgressPosition(int position)
{
    m_progress->copying(position - 1);
    // The job runs on this thread: the window repaints here, so the bar visibly advances and the
    // window never looks frozen.
    if (showProgress())
        takeInput();
}

void MainWindowJob::setProgressVisible(bool visible)
{
    // The job is done with the bar once the copy is over; the conversion is not.
    if (!visible && std::exchange(m_conversionAhead, false)) {
        m_progress->copied();
        showProgress();
        return;
    }
    m_controls.PrbRunning->setVisible(visible);
}

void MainWindowJob::conversionProgress(int done, int total, int finished)
{
    m_progress->converted(done, total, finished);
    showProgress();
}

void MainWindowJob::waitingForConverter()
{
    showProgress();
    m_inputGate.processEvents();
    m_sinceInput.start();
}

bool MainWindowJob::stopRequested()
{
    if (m_stopping)
        return true;
    showProgress();
    if (!m_sinceInput.isValid() || m_sinceInput.elapsed() >= inputMilliseconds)
        takeInput();
    if (!std::exchange(m_stopWanted, false))
        return false;
    m_stopping = askToStop();
    // "Non" takes back the wish to close as well: the user wants the job, and the window.
    if (!m_stopping)
        m_closeWanted = false;
    return m_stopping;
}

bool MainWindowJob::askToStop()
{
    return ask(QStringLiteral("Arrêter l'assemblage ? Aucun fichier ne sera supprimé."));
}

void MainWindowJob::deletingSources()
{
    m_deleting = true;
    m_stopWanted = false;
}

bool MainWindowJob::ask(const QString &question, const QString &below)
{
    QuestionBox box(question, &m_window);
    box.setInformativeText(below);
    FrameCentring::atNextShow(&box, FrameCentring::screenCentre(&m_window), &m_window);
    const JobInputGate::Opening answering(m_inputGate);
    return box.ask();
}

bool MainWindowJob::showProgress()
{
    if (!m_progress)
        return false;
    const int position = m_progress->position();
    if (!m_progressPacer.mayDraw(position))
        return false;
    const QString text = m_progress->text();
    if (!m_progressPacer.due(position, text != m_shownText))
        return false;
    m_controls.PrbRunning->setValue(position);
    m_controls.PrbRunning->setCaption(text);
    m_shownText = text;
    return true;
}

void MainWindowJob::takeInput()
{
    m_inputGate.processEvents();
    m_sinceInput.start();
}

void MainWindowJob::showErrorBox(const std::string &message, const std::string &cause)
{
    // Over the main window, which it keeps above, and centred on the screen; the box's own text
    // first, as always, and why, when known, on a line of its own below, then what was kept.
    QString below = QString::fromStdString(cause);
    const QString kept = keptFiles(true);
    if (!kept.isEmpty())
        below += (below.isEmpty() ? QString() : QStringLiteral("\n")) + kept;
    ErrorBox box(QStringLiteral("Erreur"), QString::fromStdString(message), &m_window, below);
    FrameCentring::atNextShow(&box, FrameCentring::screenCentre(&m_window), &m_window);
    const JobInputGate::Opening answering(m_inputGate);
    box.exec();
}

QString MainWindowJob::keptFiles(bool joined) const
{
    QStringList kept;
    // The job's own EPS, once joined, stays when the PDF could not be made from it.
    const std::optional<assembly::ResultNames> names = assembly::resultNames(m_inputs->baseName);
    const std::optional<posix::Folder> folder = joined && names && m_inputs->convertToPdf
                                                    ? posix::Folder::open(m_inputs->directory)
                                                    : std::nullopt;
    if (folder && folder->status(names->eps))
        kept << QStringLiteral("Le fichier assemblé « %1 » est conservé.")
                    .arg(QFile::decodeName(QByteArray::fromStdString(names->eps)));
    if (m_inputs->deletesSources())
        kept << QStringLiteral("Aucun fichier source n'a été supprimé.");
    return kept.join(QLatin1Char('\n'));
}

bool MainWindowJob::confirmReplacement(const std::string &fileName)
{
    // Asked only when the sources are to go; where they go, said below.
    return ask(QStringLiteral("Le fichier « %1 » existe déjà. Le remplacer ?")
                   .arg(QFile::decodeName(QByteArray::fromStdString(fileName))),
               QStringLiteral("Les fichiers sources seront mis à la corbeille."));
}

bool MainWindowJob::confirmPermanentDeletion(int count)
{
    return ask(count == 1 ? QStringLiteral("Aucune corbeille ne peut recevoir le fichier source. "
                                           "Le supprimer définitivement ?")
                          : QStringLiteral("Aucune corbeille ne peut recevoir %1 fichiers "
                                           "sources. Les supprimer définitivement ?")
                                .arg(count));
}

void MainWindowJob::clearLists()
{
    m_lists.clear();
}

void MainWindowJob::applyControlRules()
{
    m_applyControlRules();
}
