#pragma once

// One conversion from start to end: checks, plan, one confined Ghostscript child per part, each
// part's PDF checked, the result joined from them and put in place. Every temporary file and
// folder goes with it, on success, failure or signal, and is removed by a watcher even if the
// converter is killed outright.

#include "converter/part.h"

#include <string>
#include <vector>

namespace converter {

class Conversion
{
public:
    Conversion(std::string responseFile, std::string epsPath, std::string pdfPath);

    // Throws ConversionFailure; ends the process by the signal received when stopped.
    void run();

    // Says why the conversion failed: to the program that runs it, in its report, or on stderr
    // when run by hand or asked to be verbose.
    void reportFailure(const std::string &why) const;

    // Ghostscript's own output reaches stderr when run by hand, or when BRAKWEN_VERBOSE is set;
    // run by the program, only the report says what happened.
    static bool verbose();

private:
    std::vector<Part> plan(int input, std::uint64_t size) const;
    std::string documentTitle() const;

    std::string m_responseFile;
    std::string m_epsPath;
    std::string m_pdfPath;
};

} // namespace converter
