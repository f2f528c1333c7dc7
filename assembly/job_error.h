#pragma once

// A job refused before it touched anything; what() is the French text the error box shows.

#include <stdexcept>

namespace assembly {

class JobError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace assembly
