#pragma once

// An EPS file that cannot be read soundly (a DOS header pointing outside the file, a read
// error); what() is a French sentence naming what was being read.

#include <stdexcept>

namespace eps {

class EpsError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace eps
