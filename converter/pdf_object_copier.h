#pragma once

// Copies into the joined PDF what one part's pages draw with. Every object reached is written
// once, renumbered, after the objects it refers to, so that its bytes are final when it is
// written: one byte-identical to an object already in the joined PDF (a font program, an image,
// the dictionaries that lead to them) is shared instead of written again. A reference to the
// part's document level (its catalog, page tree, pages, document information) becomes null:
// nothing of it comes along, even reached from a resource. Actions, scripts, file
// specifications and references to outside files are left out at any depth, before an object's
// bytes are settled: what is compared and shared is what the joined PDF holds.

#include "converter/pdf_part_reader.h"
#include "converter/pdf_shared_objects.h"
#include "converter/pdf_writer.h"

#include <cstdint>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace converter {

using ObjectSet = std::unordered_set<QPDFObjGen, ObjGenHash>;

class PdfObjectCopier
{
public:
    PdfObjectCopier(PdfWriter &writer, SharedObjects &shared, ObjectSet cutOff);

    // Appends value as the joined PDF holds it: a direct object in full, a reference by its
    // number there, after writing what it leads to.
    void append(std::string &text, const QPDFObjectHandle &value);

private:
    std::uint32_t numberOf(const QPDFObjectHandle &indirect);
    void references(QPDFObjectHandle value, std::vector<QPDFObjectHandle> &into);
    void appendDirect(std::string &text, QPDFObjectHandle value);
    void appendItem(std::string &text, const QPDFObjectHandle &item);
    void write(QPDFObjectHandle object);
    void writeStream(QPDFObjectHandle stream, const QPDFObjGen &id, bool reserved);
    bool leadsNowhere(QPDFObjectHandle item) const;
    // A dictionary's entry left out for what its value is: one leading nowhere says no more
    // than no entry, and written as null it would keep two parts' objects from being shared.
    bool omitted(const QPDFObjectHandle &value) const;

    PdfWriter &m_writer;
    SharedObjects &m_shared;
    ObjectSet m_cutOff;
    std::unordered_map<QPDFObjGen, std::uint32_t, ObjGenHash> m_numbers;
    ObjectSet m_inProgress;
    // Objects on a reference cycle: numbered before their bytes are known, so never shared.
    ObjectSet m_reserved;
};

} // namespace converter
