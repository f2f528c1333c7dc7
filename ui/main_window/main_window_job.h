// The assembly job as the main window runs it: what the job drives (the busy cursor, the OK and
// quit buttons, the progress bar, the "Erreur" box, the lists) is done on the window's controls,
// and clicks and keys are dropped for as long as the job runs.
#pragma once

#include "assembly/job_inputs.h"
#include "assembly/job_window.h"
#include "busy_cursor.h"
#include "job_input_gate.h"
#include "progress_pacer.h"

#include <functional>
#include <optional>
#include <string>

class FileLists;
class MainWindowControls;
class QWidget;

class MainWindowJob : public assembly::JobWindow
{
public:
    // `applyControlRules` is the window's, run when the job ends.
    MainWindowJob(QWidget &window, MainWindowControls &controls, FileLists &lists,
                  std::function<void()> applyControlRules);

    // Runs the job to its end, its error box answered; what the job throws goes on to the
    // caller once the window is given back.
    void run(const assembly::JobInputs &inputs, const std::string &toolDirectory);

    void setBusyCursor(bool busy) override;
    void setOkButtonVisible(bool visible) override;
    void setQuitButtonVisible(bool visible) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void conversionProgress(int done, int total, int finished) override;
    void waitingForConverter() override;
    void showErrorBox(const std::string &message, const std::string &cause) override;
    bool confirmReplacement(const std::string &fileName) override;
    void clearLists() override;
    void applyControlRules() override;

private:
    QWidget &m_window;
    MainWindowControls &m_controls;
    FileLists &m_lists;
    std::function<void()> m_applyControlRules;
    ProgressPacer m_progressPacer;
    // Set while the job that runs converts and has not finished copying: the bar then spans
    // the copy and the conversion, and the copy's end is where the conversion starts from.
    bool m_conversionAhead = false;
    int m_copyStart = 0;
    int m_copyEnd = 0;
    std::optional<BusyCursor> m_busyCursor;
    // Last made, first gone: the input that arrives until the very end of the job is dropped.
    JobInputGate m_inputGate;
};
