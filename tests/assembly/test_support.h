#pragma once

// Shared by the engine's tests: temporary folder trees, file helpers, a window that records what
// the job asks of it, and a runner for child programs.

#include "assembly/job_window.h"

#include <cstdint>
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

// A DOS EPS: its binary header, then postScript, then a TIFF preview of these bytes. A
// postScriptLength other than 0 replaces the true one in the header.
std::string dosEps(const std::string &postScript, const std::string &preview,
                   std::uint32_t postScriptLength = 0);

// Writes an executable /bin/sh script.
void writeScript(const std::string &path, const std::string &body);

// A complete PDF of that many empty pages, which qpdf reads without a warning.
std::string minimalPdf(int pages);
// A PDF of these objects, numbered from 1, the first its catalog.
std::string pdfFromObjects(const std::vector<std::string> &objects,
                           const std::string &version = "1.4");
// A fake converter's command that puts made.pdf, from the converter's own folder, at the PDF's
// name ("$2"); the test writes made.pdf there.
inline const char *const putMadePdf = "cp \"$(dirname \"$0\")/made.pdf\" \"$2\"\n";

// Copies the executable at program into folder, under the same name, where any user may run it;
// returns the copy's path.
std::string copyExecutable(const std::string &program, const TempDir &folder);

// Records every call as one line, e.g. "busy 1", "range 0 3", "position 2", "box <text>".
class RecordingWindow : public assembly::JobWindow
{
public:
    bool replaceAnswer = true;
    std::vector<std::string> calls;

    void setBusyCursor(bool busy) override { record("busy", busy); }
    void setOkButtonVisible(bool visible) override { record("ok", visible); }
    void setQuitButtonVisible(bool visible) override { record("quit", visible); }
    void setProgressRange(int minimum, int maximum) override
    {
        calls.push_back("range " + std::to_string(minimum) + " " + std::to_string(maximum));
    }
    void setProgressPosition(int position) override { record("position", position); }
    void setProgressVisible(bool visible) override { record("progress", visible); }
    void showErrorBox(const std::string &message, const std::string &cause) override
    {
        calls.push_back("box " + message);
        lastCause = cause;
    }
    std::string lastCause;
    bool confirmReplacement(const std::string &fileName) override
    {
        calls.push_back("replace? " + fileName);
        return replaceAnswer;
    }
    void clearLists() override { calls.push_back("clear"); }
    void applyControlRules() override { calls.push_back("rules"); }

private:
    void record(const char *what, int value)
    {
        // Built in place: GCC 12 takes `what + std::string&&` for an overlapping copy (-Wrestrict).
        std::string call(what);
        call += ' ';
        call += std::to_string(value);
        calls.push_back(std::move(call));
    }
};

// What brakwen-cli says of a failure concerning the file at path.
inline std::string cliError(const std::string &path, const std::string &message)
{
    return "brakwen-cli: " + path + ": " + message + "\n";
}

// settings, and what runs a program with the LD_PRELOAD library at `library` loaded (which is
// no sanitizer runtime and may come first), for runProgram's extraEnvironment.
std::vector<std::string> preloading(const std::string &library, std::vector<std::string> settings);

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
