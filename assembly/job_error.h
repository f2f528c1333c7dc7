#pragma once

// A job refused for a reason of its own rather than the system's (a source that is the result, or
// no regular file); what() is the French text the error box shows.

#include <stdexcept>

namespace assembly {

class JobError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace assembly
