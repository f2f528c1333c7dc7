#include "converter/pdf_part_check.h"

#include "converter/pdf_part_reader.h"

#include <unordered_set>
#include <vector>

namespace converter {

namespace {

// Reads every object the file leads to, as qpdf --check does: objects are parsed only when
// first reached, and a duplicated key or a wrong stream length is found only then. Stream data
// is not decoded: a file cut or garbled on its way to the disk shows in its structure already,
// and what a stream holds draws only on its own part's pages.
void readEverything(const QPDFObjectHandle &trailer)
{
    std::unordered_set<QPDFObjGen, ObjGenHash> seen;
    std::vector<QPDFObjectHandle> pending{trailer};
    const auto follow = [&pending](QPDFObjectHandle item) {
        if (item.isIndirect() || item.isArray() || item.isDictionary())
            pending.push_back(item);
    };
    while (!pending.empty()) {
        QPDFObjectHandle object = pending.back();
        pending.pop_back();
        if (object.isIndirect() && !seen.insert(object.getObjGen()).second)
            continue;
        if (object.isStream())
            object = object.getDict();
        if (object.isDictionary()) {
            for (auto &entry : object.ditems())
                follow(entry.second);
        } else if (object.isArray()) {
            for (auto &item : object.aitems())
                follow(item);
        }
    }
}

} // namespace

long checkPart(int fd, const PartExpectation &expectation)
{
    PdfPartReader reader(fd, expectation);
    try {
        readEverything(reader.document().getTrailer());
    } catch (...) {
        rethrowAsPartFailure();
    }
    reader.throwIfWarned();
    return static_cast<long>(reader.pages().size());
}

} // namespace converter
