#pragma once

// What the converter and its Ghostscript zygote say to each other over their socket. A request
// travels with four descriptors, in this order: the part's PostScript (readable), its PDF
// (writable), the part's own folder (Ghostscript's temporary files go there) and the file the
// child writes its report to. Nothing else reaches the child.

#include <cstdint>

namespace converter {

struct PartRequest
{
    std::uint64_t index = 0; // the part's place in the job, from 0
    std::uint32_t eps = 0;   // 1: every page at the box below; 0: a document with its own pages
    std::uint32_t timeLimitSeconds = 60;
    double width = 0;
    double height = 0;
    double llx = 0;
    double lly = 0;
};

inline constexpr int requestDescriptors = 4;

struct ZygoteEvent
{
    enum Kind : std::int32_t { Ready, Started, Ended, Refused };

    Kind kind = Ready;
    std::uint64_t index = 0;
    std::int32_t pid = 0;
    std::int32_t exited = 0; // Ended: whether by exit(); code or signal then tell how
    std::int32_t code = 0;
    std::int32_t signal = 0;
    std::int64_t cpuMicroseconds = 0; // Ended: the processor time the child used
    std::int32_t walls = 0;           // Ready: PartWalls::summary() of the walls raised
};

} // namespace converter
