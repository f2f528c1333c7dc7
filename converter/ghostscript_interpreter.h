#pragma once

// The one Ghostscript interpreter of a process, through Debian's libgs: started once with its
// options, then given PostScript text to run. What the interpreter writes (its messages and the
// document's) is kept for whoever asks, and passed on to stderr when asked to. What it reads as
// %stdin comes from a descriptor it is given, so that a document reaches it without a name.

#include <string>
#include <string_view>
#include <vector>

namespace converter {

class GhostscriptInterpreter
{
public:
    // Initialises the interpreter with the options (argv[0] excluded); throws ConversionFailure
    // when libgs refuses them.
    GhostscriptInterpreter(const std::vector<std::string> &options, bool passOnOutput);
    GhostscriptInterpreter(const GhostscriptInterpreter &) = delete;
    GhostscriptInterpreter &operator=(const GhostscriptInterpreter &) = delete;
    ~GhostscriptInterpreter();

    struct Outcome
    {
        int code = 0;     // 0, or libgs's negative error code
        int exitCode = 0; // the code quit was given, when code is quitCode()

        bool quit() const { return code == quitCode(); }
        bool failed() const { return code < 0 && !quit(); }
    };
    // Runs the text.
    Outcome run(std::string_view program);

    // Shuts the interpreter down as Ghostscript does at its end, closing the device (and so
    // writing out a PDF whose document quit). Nothing can run afterwards.
    void shutDown();

    // %stdin reads from fd from now on (-1: nothing). Read in blocks when the options end with
    // "-_", a byte at a time otherwise.
    void setInput(int fd) { m_input = fd; }

    // -dSAFER's folder for temporary files, the one it lets a document read, write and delete
    // in, is `to` instead of `from`.
    void movePermittedFolder(const std::string &from, const std::string &to);
    // The file at `path` may (or no longer may) be written and replaced under -dSAFER.
    void permitWriting(const std::string &path, bool permitted);

    // Everything written since the last call; passOnOutput(false) keeps what follows from stderr.
    std::string takeOutput();
    void setPassOnOutput(bool passOn) { m_passOnOutput = passOn; }

    // Ends the process at once, leaving the interpreter as it is: a child forked for one document
    // has nothing to tidy, and Ghostscript's own shutdown costs more than the document.
    [[noreturn]] static void leave(int status);

    static int quitCode();
    // What a run that ran out of memory returns.
    static int memoryErrorCode();
    // "GPL Ghostscript 10.00.0": the library's own name and version.
    static std::string product();

private:
    static int write(void *self, const char *bytes, int length);
    static int read(void *self, char *bytes, int length);

    void *m_instance = nullptr;
    int m_input = -1;
    bool m_passOnOutput;
    std::string m_output;
};

} // namespace converter
