#pragma once

// One page-making piece of the joined input: where its PostScript lies, and whether it is an
// EPS drawn alone on a page of its bounding box or a document that keeps its own pages.

#include "eps/bounding_box.h"

#include <cstdint>
#include <string>

namespace converter {

using eps::BoundingBox;

struct Part
{
    enum class Kind { Eps, Document };

    std::uint64_t number = 0; // the source's place in the input, from 1
    std::string name;         // the source's file name, when the job gave it
    std::uint64_t offset = 0; // the PostScript to run: offset and length in the input
    std::uint64_t length = 0;
    Kind kind = Kind::Document;
    BoundingBox box; // for an EPS

    // "fichier 3 (« plan.eps »)", or "fichier 3" without a name.
    std::string description() const;
};

} // namespace converter
