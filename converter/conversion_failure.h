#pragma once

// A conversion that cannot succeed, with the French sentence that says why. The converter ends on
// the first one, leaving no PDF behind.

#include <stdexcept>
#include <string>

namespace converter {

class ConversionFailure : public std::runtime_error
{
public:
    explicit ConversionFailure(const std::string &message, int exitCode = 1)
        : std::runtime_error(message), m_exitCode(exitCode)
    {}

    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode;
};

} // namespace converter
