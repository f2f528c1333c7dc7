#pragma once

// The job's window on a terminal: progress on stderr when stderr is a terminal; an error box is
// kept for the caller to say; cursor, buttons and lists have nothing to show.

#include "assembly/job_window.h"

#include <cstdio>
#include <string>

namespace cli {

class TerminalWindow : public assembly::JobWindow
{
public:
    // force: a result whose sources may be gone is replaced without asking.
    TerminalWindow(std::FILE *stream, bool showProgress, bool force);

    void setBusyCursor(bool) override {}
    void setOkButtonVisible(bool) override {}
    void setQuitButtonVisible(bool) override {}
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    // The cause is the job report's, which the caller says with the box's text.
    void showErrorBox(const std::string &message, const std::string &cause) override;
    bool confirmReplacement(const std::string &fileName) override;
    void conversionProgress(int done, int total, int finished) override;
    void clearLists() override {}
    void applyControlRules() override {}
    bool stopRequested() override;

    // The text of the last "Erreur" box; the caller says it, naming the file it concerns.
    const std::string &lastErrorBox() const { return m_lastErrorBox; }

private:
    void endProgressLine();

    std::FILE *m_stream;
    bool m_showProgress;
    bool m_force;
    int m_maximum = 0;
    bool m_lineOpen = false;
    std::string m_lastErrorBox;
};

} // namespace cli
