#pragma once

#include <string>
#include <vector>

namespace assembly {

// The job's inputs, read from the main window when OK is pressed. Paths and names are the
// file system's own bytes (not necessarily UTF-8).
struct JobInputs
{
    std::string directory;
    std::string baseName;
    std::vector<std::string> selectedFiles; // bare names, in assembly order
    bool convertToPdf = false;
    bool deleteSources = false;
    unsigned conversionTimeLimit = 0; // seconds a file may take to convert; 0: the converter's
};

} // namespace assembly
