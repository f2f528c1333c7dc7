#pragma once

// The names a job's results take from the base name the user typed. Every caller (the job, the
// window before it starts one, brakwen-cli reading its options) asks here, so that a name is
// judged the same everywhere.
//
//   "final"        final.eps, final.pdf
//   "rapport.pdf"  rapport.eps, rapport.pdf: a typed ".eps" or ".pdf", in any case, is the
//   "RAPPORT.EPS"  RAPPORT.eps, RAPPORT.pdf  job's own extension and is not doubled
//   "" or ".pdf"   .eps, .pdf: an empty base name is a name like any other
//   "a/b", "../r", "/tmp/x", ".", "..", "..eps"   refused: the results would land in another
//                  folder (outside the one the job locks and checks) or name a folder

#include "assembly/job_error.h"

#include <optional>
#include <string>
#include <string_view>

namespace assembly {

struct ResultNames
{
    std::string base; // the typed name without the extension it may end with
    std::string eps;
    std::string pdf;
};

// The two result names for a typed base name; nullopt when the name is refused.
std::optional<ResultNames> resultNames(std::string_view typedName);

// Why typedName is refused, in French, quoting it as typed.
std::string baseNameRefusal(std::string_view typedName);

// Thrown by the job, before anything is written, for a base name resultNames() refuses; the
// window's error box shows what().
class BaseNameRefused : public JobError
{
public:
    explicit BaseNameRefused(std::string_view typedName) : JobError(baseNameRefusal(typedName)) {}
};

} // namespace assembly
