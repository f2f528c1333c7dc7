#pragma once

// How every Ghostscript run on a document is shut in, whether the converter's interpreter
// (one process a file) or the preview's: the same options, the same settings taken out of its
// environment, the same files readable. A document is hostile until proven otherwise, and the
// interpreter's own -dSAFER is only the first wall: the kernel's confinement is the second.

#include "posix/path_confinement.h"
#include "posix/unique_fd.h"

#include <array>
#include <string>
#include <vector>

namespace sandbox {

// The options a run on a document starts with: quiet, -dSAFER, no pause between pages.
std::vector<std::string> ghostscriptOptions();

// Settings in the environment that could undo those options (GS_OPTIONS), choose another device
// or point Ghostscript's temporary files elsewhere than the run's private folder.
inline constexpr std::array<const char *, 4> ghostscriptVariablesToDrop = {
    "GS_OPTIONS", "GS_DEVICE", "TEMP", "TMP"};

// Adds to `confinement` what Ghostscript reads to work: its resources and the system's and the
// user's fonts and font settings. The descriptors the rules stand on are kept in `held` until
// the confinement is applied.
void allowGhostscriptResources(posix::PathConfinement &confinement,
                               std::vector<posix::UniqueFd> &held);

} // namespace sandbox
