#pragma once

// The few document structuring comments that decide how a piece of the input becomes pages: the
// header line that starts a file, the borders of embedded documents and resources, the trailer
// and the bounding box.

#include "eps/bounding_box.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace eps {

enum class Comment {
    Header, // "%!PS-Adobe-", or a DOS EPS header
    BeginDocument,
    EndDocument,
    BeginResource,
    EndResource,
    BoundingBox,
    Trailer,
    EndOfFile,
    EndComments,
    Other
};

// The comment a line starts with; value receives the text after "%%BoundingBox:".
Comment classifyLine(std::string_view line, std::string_view &value);

// Four numbers, lower-left corner below and left of the upper-right one, nothing after them.
std::optional<BoundingBox> parseBoundingBox(std::string_view value);

// What a piece's comments say of its pages.
struct PieceFacts
{
    // The first %%BoundingBox of its header comments, which run to %%EndComments or to the
    // first line that is not "%" and a printable non-blank character. When that one says
    // "(atend)", the last of the file, never one of a document or resource it embeds.
    std::optional<BoundingBox> box;

    // Every page it shows is a page of its box; without a box it keeps its own page sizes.
    bool isEps() const { return box.has_value(); }
};

// Facts of [begin, end), which is one file whatever headers it holds.
PieceFacts readPartFacts(int fd, std::uint64_t begin, std::uint64_t end);

// From begin, where the next file starts when no one said so (or limit). A new file starts only
// at a header line saying EPSF, or at a "%!PS-Adobe-" header after "%%EOF", "%%Trailer" or a
// showpage, even on the same line; never at a Resource header nor inside an embedded document
// or resource.
std::uint64_t findPieceEnd(int fd, std::uint64_t begin, std::uint64_t limit);

} // namespace eps
