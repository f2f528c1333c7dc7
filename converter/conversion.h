#pragma once

// One conversion from start to end: checks, plan, one confined Ghostscript child per part, each
// part's PDF checked by the confined reader, the result joined by it from them and put in place.
// Every temporary file and folder goes with it, on success, failure or signal, and is removed by a
// watcher even if the converter is killed outright.

#include "converter/part.h"
#include "converter/part_conversions.h"
#include "converter/part_walls.h"
#include "posix/folder.h"
#include "posix/unique_fd.h"

#include <optional>
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
    // The EPS open for reading, and the PDF's folder and name there.
    struct Files
    {
        std::optional<posix::Folder> pdfFolder;
        std::string pdfName;
        posix::UniqueFd input;
        std::uint64_t size = 0;
    };

    // The steps of run(), in order.
    void prepare() const;
    Files openFiles() const;
    std::vector<Part> plan(int input, std::uint64_t size) const;
    PartConversionSettings settings(const std::string &folder, const std::string &scratch,
                                    unsigned parallel, const PartLimits &limits) const;
    // The result written by the reader from the checked parts; returns its pages.
    long join(PdfReaderProcess &reader, const std::vector<Part> &parts,
              const std::vector<CheckedPart> &checked, int outputFd) const;
    // Throws when no wall holds the parts; says which are missing when verbose.
    void checkWalls(const PartWalls &walls) const;
    static void throwIfStopped();
    static void reportPages(long pages);
    std::string documentTitle() const;

    std::string m_responseFile;
    std::string m_epsPath;
    std::string m_pdfPath;
};

} // namespace converter
