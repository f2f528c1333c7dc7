#pragma once

// Which pieces of the joined input become which pages.

#include "assembly/part_manifest.h"
#include "converter/part.h"

#include <cstdint>
#include <vector>

namespace converter {

// The job said where each file starts and ends: each is one piece, whatever it holds. Throws
// ConversionFailure for a file that is empty, blank or has an incoherent DOS header.
std::vector<Part> planFromManifest(int fd, const std::vector<assembly::ManifestPart> &files);

// Run by hand on a joined file: pieces start at each file's header line, outside embedded
// documents, and after each DOS EPS file; blank bytes between files make no page.
std::vector<Part> planByContent(int fd, std::uint64_t size);

} // namespace converter
