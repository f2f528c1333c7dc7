#pragma once

// The few document structuring comments that decide how a piece of the input becomes pages: the
// header line that starts a file, the borders of embedded documents, the bounding box and the
// page count.

#include "eps/bounding_box.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace eps {

enum class Comment {
    Header,
    HeaderAfterEof,
    BeginDocument,
    EndDocument,
    BoundingBox,
    Pages,
    Other
};

// The comment a line starts with; value receives the text after "%%BoundingBox:" or "%%Pages:".
Comment classifyLine(std::string_view line, std::string_view &value);

// Four numbers, lower-left corner below and left of the upper-right one, nothing after them.
std::optional<BoundingBox> parseBoundingBox(std::string_view value);
// A whole number alone, such as "%%Pages: 2"; nullopt for "(atend)" and the like.
std::optional<long> parsePageCount(std::string_view value);

// What the comments of a piece say, outside the documents it embeds.
struct PieceFacts
{
    std::optional<BoundingBox> box; // the first usable one
    long pages = -1;                // the first page count, -1 when none
    bool startsWithHeader = false;

    // Every page it shows is a page of its box; without a box it keeps its own page sizes.
    bool isEps() const { return box.has_value(); }
};

// Facts of [begin, end), which is one file whatever headers it holds: its header comments when
// they tell everything, the whole range when they defer the box or the page count to the end.
PieceFacts readPartFacts(int fd, std::uint64_t begin, std::uint64_t end);

// From begin, the piece that runs to the next header outside an embedded document (or to limit):
// its end and its facts. Used only when no one said where the files start.
struct PieceScan
{
    std::uint64_t end = 0;
    PieceFacts facts;
};
PieceScan scanPiece(int fd, std::uint64_t begin, std::uint64_t limit);

} // namespace eps
