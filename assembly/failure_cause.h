#pragma once

// Why a job failed, in a few French words that a user can act on. The messages the boxes and
// brakwen-cli have always shown stay as they are and come first ("Erreur E/S 112"); the cause
// follows them, naming the file: brakwen-cli after the message, "(disque plein)", the window on
// a line of its own. Every failure goes through here, so both say the same.

#include <exception>
#include <string>

namespace assembly {

struct FailureCause
{
    std::string file;   // the file the failure concerns; may be empty
    std::string reason; // a few French words, or a ready sentence (the converter's own)

    bool empty() const { return reason.empty(); }
};

// What the system's error code means, in short French words ("disque plein", "accès refusé",
// "trop de liens symboliques", ...): the C library speaks the session's language, often English.
std::string reasonForErrno(int error);

// The cause of an error that ended a job: an I/O error gets its file and what its errno means.
// The job's own refusals say everything in their message and get no cause; neither does
// anything else.
FailureCause causeOf(const std::exception &error);

// The line the window shows below the message: "/x/final.eps : disque plein"; empty for no cause.
std::string causeLine(const FailureCause &cause);

} // namespace assembly
