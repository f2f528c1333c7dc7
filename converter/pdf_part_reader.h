#pragma once

// One part PDF opened the strict way, for the check and again for the join: libqpdf repairs
// nothing (no reconstructed cross-reference table, no guessed stream length), every warning
// makes the part fail whenever it comes (objects are read lazily), and each page's entries are
// resolved through the page tree and held to the part's expectation.

#include "converter/pdf_part_check.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>
#include <string>
#include <vector>

namespace converter {

// libqpdf's object numbers have no std::hash of their own.
struct ObjGenHash
{
    std::size_t operator()(const QPDFObjGen &id) const
    {
        return std::hash<long long>()((static_cast<long long>(id.getObj()) << 16) ^ id.getGen());
    }
};

// A page's entries as they apply to it, inherited ones included; null handles when absent.
struct PartPage
{
    QPDFObjectHandle page;
    std::vector<QPDFObjectHandle> mediaBox; // four numbers, lower left corner first
    std::vector<QPDFObjectHandle> cropBox;  // empty when there is none
    QPDFObjectHandle rotate;
    QPDFObjectHandle userUnit;
    QPDFObjectHandle resources;
    QPDFObjectHandle contents;
    QPDFObjectHandle group;
};

class PdfPartReader
{
public:
    // Throws ConversionFailure for a part that cannot be read strictly, has no page, or whose
    // pages break the expectation.
    PdfPartReader(const std::string &path, const PartExpectation &expectation);

    QPDF &document() { return m_pdf; }
    const std::vector<PartPage> &pages() const { return m_pages; }
    // "1.0" to "1.7" or "2.0": any other fails the part.
    std::string version() const;

    // Throws ConversionFailure when anything read so far drew a warning.
    void throwIfWarned();
    [[noreturn]] void fail(const std::string &why) const;

private:
    void open(const std::string &path);
    PartPage pageAt(std::size_t index, const QPDFObjectHandle &page) const;

    std::string m_description;
    QPDF m_pdf;
    std::vector<PartPage> m_pages;
};

// Called in a catch block: rethrows a ConversionFailure as it is, and anything else libqpdf
// throws (a damaged file, an object of the wrong type) as the part's failure.
[[noreturn]] void rethrowAsPartFailure(const std::string &description);

} // namespace converter
