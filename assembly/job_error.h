#pragma once

// A job refused for a reason of its own rather than the system's (a source that is the result, or
// no regular file); what() is the French text the error box shows.

#include <stdexcept>
#include <string>

namespace assembly {

class JobError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Why a selected file that is the job's own result, under its name or any other, is refused.
inline std::string resultRefusalMessage(const std::string &name)
{
    return "Le fichier « " + name +
           " » est le fichier résultat : il ne peut pas être assemblé dans lui-même";
}

// Two jobs writing into one folder would replace each other's results, and the second would
// delete sources whose result the first then overwrites.
inline std::string folderBusyMessage()
{
    return "Un autre assemblage écrit déjà dans ce répertoire : attendez qu'il soit fini";
}

// The job was asked to stop (the command line got a signal) and did, everything it made removed.
class JobInterrupted : public std::runtime_error
{
public:
    JobInterrupted() : std::runtime_error("Assemblage interrompu") {}
};

} // namespace assembly
