#include "assembly/process_runner.h"

#include "posix/child_process.h"

#include <ctime>
#include <unistd.h>

namespace assembly {

namespace {

// Long enough for a converter to end Ghostscript and clear its temporary files.
constexpr int stopGraceMilliseconds = 5000;

std::string nameOf(const std::string &entry)
{
    return entry.substr(0, entry.find('='));
}

} // namespace

std::vector<std::string> environmentWith(const std::vector<std::string> &entries)
{
    std::vector<std::string> result;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string current(*entry);
        bool replaced = false;
        for (const std::string &added : entries)
            replaced = replaced || nameOf(added) == nameOf(current);
        if (!replaced)
            result.push_back(current);
    }
    result.insert(result.end(), entries.begin(), entries.end());
    return result;
}

ProcessResult runProcess(const ProcessRequest &request)
{
    ProcessResult result;
    posix::ChildSetup setup;
    setup.arguments = request.arguments;
    if (!request.extraEnvironment.empty())
        setup.environment = environmentWith(request.extraEnvironment);
    setup.descriptors = request.descriptors;
    setup.ownProcessGroup = true;
    setup.endsWithParent = true;
    std::optional<posix::ChildProcess> child = posix::ChildProcess::start(setup);
    if (!child)
        return result;
    result.started = true;

    posix::ExitStatus status;
    if (!request.whileWaiting && !request.stopRequested) {
        status = child->wait();
    } else {
        // Polled often enough that a window calling back repaints smoothly and notices the end
        // within a frame or two.
        for (;;) {
            if (const auto ended = child->poll()) {
                status = *ended;
                break;
            }
            if (request.stopRequested && request.stopRequested()) {
                status = child->stop(stopGraceMilliseconds);
                result.stopped = true;
                break;
            }
            if (request.whileWaiting)
                request.whileWaiting();
            const timespec pause{0, 20'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    result.exited = status.exited;
    result.exitStatus = status.exited ? status.code : -1;
    return result;
}

ProcessResult runProcess(const std::vector<std::string> &arguments,
                         const WhileWaiting &whileWaiting)
{
    ProcessRequest request;
    request.arguments = arguments;
    request.whileWaiting = whileWaiting;
    return runProcess(request);
}

} // namespace assembly
