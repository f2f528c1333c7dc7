#pragma once

// Shared by the engine's tests: temporary folder trees, file helpers, a window that records what
// the job asks of it, and a runner for child programs.

#include "assembly/job_window.h"

#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    ~TempDir();

    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);
bool exists(const std::string &path);
// The names in a folder, sorted, "." and ".." left out.
std::vector<std::string> listNames(const std::string &folder);
// Bytes that repeat nowhere, so a misplaced or lost block shows.
std::string patternBytes(std::size_t size, unsigned seed);

// Writes an executable /bin/sh script.
void writeScript(const std::string &path, const std::string &body);

// Records every call as one line, e.g. "busy 1", "range 0 3", "position 2", "box <text>".
class RecordingWindow : public assembly::JobWindow
{
public:
    void setBusyCursor(bool busy) override;
    void setOkButtonVisible(bool visible) override;
    void setQuitButtonVisible(bool visible) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressVisible(bool visible) override;
    void showErrorBox(const std::string &message) override;
    void clearLists() override;
    void applyControlRules() override;

    std::vector<std::string> calls;
};

struct ProgramRun
{
    int exitStatus = -1; // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] (a path) with the current environment plus extraEnvironment ("NAME=value"
// entries replace existing ones), in workingFolder when given, and collects its output.
ProgramRun runProgram(const std::vector<std::string> &argv,
                      const std::vector<std::string> &extraEnvironment = {},
                      const std::string &workingFolder = {});

} // namespace testing_support
