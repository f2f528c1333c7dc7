#pragma once

// How every Ghostscript run on a document is shut in, whether the converter's interpreter
// (one process a file) or the preview's: the same options, the same settings taken out of its
// environment, the same files readable. A document is hostile until proven otherwise, and the
// interpreter's own -dSAFER is only the first wall: the kernel's confinement is the second.

#include "posix/path_confinement.h"
#include "posix/unique_fd.h"

#include <string>
#include <string_view>
#include <vector>

namespace sandbox {

// The options a run on a document starts with: quiet, -dSAFER, no pause between pages.
std::vector<std::string> ghostscriptOptions();

// Whether an environment variable is one a run must not see: any GS_ setting (GS_LIB would
// open more folders to a document, GS_OPTIONS undo the options, GS_DEVICE choose another device)
// and TEMP or TMP, which would point its temporary files elsewhere than its own folder.
bool isGhostscriptSetting(std::string_view variable);

// Takes every such setting out of this process's environment.
void dropGhostscriptSettings();

// What Ghostscript reads to work, whatever the document: its resources and the CMaps and colour
// profiles they lead to, the system's and the user's fonts, fontconfig's settings and caches.
// Absolute paths, folders before what they hold; some may not exist.
std::vector<std::string> ghostscriptResourcePaths();

// Adds to `confinement` the reading of those paths. The descriptors the rules stand on are kept
// in `held` until the confinement is applied.
void allowGhostscriptResources(posix::PathConfinement &confinement,
                               std::vector<posix::UniqueFd> &held);

} // namespace sandbox
