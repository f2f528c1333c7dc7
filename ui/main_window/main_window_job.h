// The assembly job as the main window runs it: what the job drives (the busy cursor, the OK and
// quit buttons, the progress bar, the "Erreur" box, the lists) is done on the window's controls,
// and clicks and keys are dropped for as long as the job runs, except the user's wish to stop:
// Escape, or closing the window, asks whether to stop at the job's next step.
#pragma once

#include "assembly/assembly_job.h"
#include "assembly/job_inputs.h"
#include "assembly/job_window.h"
#include "busy_cursor.h"
#include "job_input_gate.h"
#include "job_progress.h"
#include "progress_pacer.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class FileLists;
class MainWindowControls;
class QWidget;

class MainWindowJob : public assembly::JobWindow
{
public:
    // How the job ended, for the line it leaves in the window.
    struct Outcome
    {
        bool stopped = false; // the user stopped it: nothing made is left, nothing deleted
        bool failed = false;  // an error ended it, and its box was shown
        assembly::JobReport report;
    };

    // `applyControlRules` is the window's, run when the job ends.
    MainWindowJob(QWidget &window, MainWindowControls &controls, FileLists &lists,
                  std::function<void()> applyControlRules);

    // Runs the job to its end, its boxes answered, an error that ends it said in the default
    // error box with what was kept, and a stop the user asked for taken as an end.
    Outcome run(const assembly::JobInputs &inputs, const std::string &toolDirectory);

    // The user wants the job to stop; closing the window (thenClose) also wants the window closed
    // once the job is over. Asked at the job's next step; once the sources are going, the job
    // finishes and nothing is asked.
    void requestStop(bool thenClose);
    // The window is to close now that the job is over: asked for meanwhile and not taken back.
    bool closeWanted() const { return m_closeWanted; }

    void setBusyCursor(bool busy) override;
    void setOkButtonVisible(bool visible) override;
    void setQuitButtonVisible(bool visible) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void conversionProgress(int done, int total, int finished) override;
    void waitingForConverter() override;
    bool stopRequested() override;
    void deletingSources() override;
    void showErrorBox(const std::string &message, const std::string &cause) override;
    bool confirmReplacement(const std::string &fileName) override;
    bool confirmPermanentDeletion(int count) override;
    void clearLists() override;
    void applyControlRules() override;

private:
    // Draws the bar and its text when worth it; true when drawn.
    bool showProgress();
    // Lets the window repaint and hear Escape, now and then.
    void takeInput();
    bool askToStop();
    // A question over the window, centred on the screen, answered while the job waits.
    bool ask(const QString &question, const QString &below = QString());
    // What a failure box adds: the files the failed job kept; the joined EPS only once the job
    // has joined it (it reached its end).
    QString keptFiles(bool joined) const;

    QWidget &m_window;
    MainWindowControls &m_controls;
    FileLists &m_lists;
    std::function<void()> m_applyControlRules;
    const assembly::JobInputs *m_inputs = nullptr;
    std::optional<JobProgress> m_progress;
    ProgressPacer m_progressPacer;
    QString m_shownText;
    QElapsedTimer m_sinceInput;
    // Set while the job that runs converts and has not finished copying: the bar then stays
    // once the copy is over.
    bool m_conversionAhead = false;
    bool m_stopWanted = false;
    bool m_closeWanted = false;
    bool m_stopping = false;
    bool m_deleting = false; // the sources are going: the job finishes, nothing is asked
    std::optional<BusyCursor> m_busyCursor;
    // Last made, first gone: the input that arrives until the very end of the job is dropped.
    JobInputGate m_inputGate;
};
