#pragma once

// What the converter and its PDF reader say to each other over their socket. Every message has
// one fixed size, so that the converter reads nothing of the reader's but a kind, a number and a
// sentence it bounds itself. A request travels with the descriptor it is about: a part's PDF
// (Check, Copy) or the joined PDF (StartJoin); the reader opens nothing by itself.

#include <cstdint>

namespace converter {

struct ReaderRequest
{
    enum Kind : std::int32_t { Check, StartJoin, Copy, FinishJoin };

    Kind kind = Check;
    std::int32_t eps = 0; // 1: every page of the part at width x height
    double width = 0;
    double height = 0;
    std::int64_t pages = 0; // Copy: the pages its check counted
    // Copy: the part's bookmark title; FinishJoin: the document's title, creator and producer,
    // each ended by a NUL. As UTF-8, cut short if longer (names are at most 255 bytes).
    char text[1024] = {};
};

struct ReaderAnswer
{
    enum Kind : std::int32_t {
        Done,            // pages: the part's (Check)
        PartFailed,      // why: what is wrong with the part's PDF
        MemoryExhausted, // the reader reached its memory ceiling
        Failed,          // why: what went wrong writing the joined PDF
        Unconfined,      // the reader could not shut itself in and reads nothing
    };

    Kind kind = Done;
    std::int64_t pages = 0;
    char why[512] = {}; // ended by a NUL
};

} // namespace converter
