#include "converter/ghostscript_interpreter.h"

#include "converter/conversion_failure.h"
#include "posix/eintr.h"
#include "posix/write_all.h"

#include <algorithm>
#include <cstdio>
#include <ghostscript/iapi.h>
#include <ghostscript/ierrors.h>
#include <unistd.h>

namespace converter {

namespace {

// Far more than any message; a document printing without end must not fill the memory.
constexpr std::size_t outputLimit = std::size_t{64} * 1024;

} // namespace

GhostscriptInterpreter::GhostscriptInterpreter(const std::vector<std::string> &options,
                                               bool passOnOutput)
    : m_passOnOutput(passOnOutput)
{
    if (gsapi_new_instance(&m_instance, this) < 0)
        throw ConversionFailure("Ghostscript (libgs) ne peut pas être démarré");
    gsapi_set_stdio(m_instance, &GhostscriptInterpreter::read, &GhostscriptInterpreter::write,
                    &GhostscriptInterpreter::write);
    gsapi_set_arg_encoding(m_instance, GS_ARG_ENCODING_UTF8);
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>("gs"));
    for (const std::string &option : options)
        argv.push_back(const_cast<char *>(option.c_str()));
    const int code = gsapi_init_with_args(m_instance, static_cast<int>(argv.size()), argv.data());
    if (code < 0 && code != gs_error_Quit) {
        gsapi_delete_instance(m_instance);
        m_instance = nullptr;
        throw ConversionFailure("Ghostscript (libgs) refuse ses options (code " +
                                std::to_string(code) + ")");
    }
}

GhostscriptInterpreter::~GhostscriptInterpreter()
{
    if (m_instance != nullptr) {
        gsapi_exit(m_instance);
        gsapi_delete_instance(m_instance);
    }
}

GhostscriptInterpreter::Outcome GhostscriptInterpreter::run(std::string_view program)
{
    Outcome outcome;
    const std::string text(program);
    outcome.code = gsapi_run_string_with_length(
        m_instance, text.c_str(), static_cast<unsigned int>(text.size()), 0, &outcome.exitCode);
    return outcome;
}

void GhostscriptInterpreter::shutDown()
{
    gsapi_exit(m_instance);
}

void GhostscriptInterpreter::movePermittedFolder(const std::string &from, const std::string &to)
{
    for (const int list :
         {GS_PERMIT_FILE_READING, GS_PERMIT_FILE_WRITING, GS_PERMIT_FILE_CONTROL}) {
        gsapi_remove_control_path(m_instance, list, (from + "/*").c_str());
        gsapi_add_control_path(m_instance, list, (to + "/*").c_str());
    }
}

void GhostscriptInterpreter::permitWriting(const std::string &path, bool permitted)
{
    for (const int list : {GS_PERMIT_FILE_WRITING, GS_PERMIT_FILE_CONTROL}) {
        if (permitted)
            gsapi_add_control_path(m_instance, list, path.c_str());
        else
            gsapi_remove_control_path(m_instance, list, path.c_str());
    }
}

std::string GhostscriptInterpreter::takeOutput()
{
    std::string taken;
    taken.swap(m_output);
    return taken;
}

void GhostscriptInterpreter::leave(int status)
{
    ::_exit(status);
}

int GhostscriptInterpreter::quitCode()
{
    return gs_error_Quit;
}

int GhostscriptInterpreter::memoryErrorCode()
{
    return gs_error_VMerror;
}

std::string GhostscriptInterpreter::product()
{
    gsapi_revision_t revision = {};
    if (gsapi_revision(&revision, sizeof revision) != 0)
        return "Ghostscript";
    char version[32];
    std::snprintf(version, sizeof version, " %ld.%02ld.%ld", revision.revision / 1000,
                  revision.revision / 10 % 100, revision.revision % 10);
    return std::string(revision.product) + version;
}

int GhostscriptInterpreter::write(void *self, const char *bytes, int length)
{
    auto *interpreter = static_cast<GhostscriptInterpreter *>(self);
    if (length <= 0)
        return length;
    const auto size = static_cast<std::size_t>(length);
    if (interpreter->m_output.size() < outputLimit)
        interpreter->m_output.append(bytes, std::min(size, outputLimit));
    if (interpreter->m_passOnOutput)
        posix::writeAll(STDERR_FILENO, bytes, size);
    return length;
}

int GhostscriptInterpreter::read(void *self, char *bytes, int length)
{
    const int fd = static_cast<GhostscriptInterpreter *>(self)->m_input;
    if (fd < 0 || length <= 0)
        return 0;
    const ssize_t got = posix::retryOnInterrupt(
        [&] { return ::read(fd, bytes, static_cast<std::size_t>(length)); });
    return got < 0 ? -1 : static_cast<int>(got);
}

} // namespace converter
