#include "cli/terminal_window.h"

#include "posix/stop_signals.h"

namespace cli {

TerminalWindow::TerminalWindow(std::FILE *stream, bool showProgress, bool force)
    : m_stream(stream), m_showProgress(showProgress), m_force(force)
{}

void TerminalWindow::setProgressRange(int, int maximum)
{
    m_maximum = maximum;
}

void TerminalWindow::setProgressPosition(int position)
{
    if (!m_showProgress)
        return;
    std::fprintf(m_stream, "\rAssemblage : %d / %d", position, m_maximum);
    std::fflush(m_stream);
    m_lineOpen = true;
}

void TerminalWindow::setProgressVisible(bool visible)
{
    if (!visible)
        endProgressLine();
}

void TerminalWindow::showErrorBox(const std::string &message, const std::string &)
{
    endProgressLine();
    m_lastErrorBox = message;
}

bool TerminalWindow::confirmReplacement(const std::string &)
{
    return m_force;
}

void TerminalWindow::conversionProgress(int done, int total, int)
{
    if (!m_showProgress)
        return;
    std::fprintf(m_stream, "\rConversion : %d / %d", done, total);
    std::fflush(m_stream);
    m_lineOpen = true;
}

bool TerminalWindow::stopRequested()
{
    return posix::StopSignals::received() != 0;
}

void TerminalWindow::endProgressLine()
{
    if (m_lineOpen) {
        std::fputc('\n', m_stream);
        m_lineOpen = false;
    }
}

} // namespace cli
