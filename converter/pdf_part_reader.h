#pragma once

// One part PDF opened the strict way, for the check and again for the join: libqpdf repairs
// nothing (no reconstructed cross-reference table, no guessed stream length), every warning
// makes the part fail whenever it comes (objects are read lazily), and each page's entries are
// resolved through the page tree and held to the part's expectation. The file is read through
// the descriptor it is given, mapped into memory: a reader shut in with its descriptors can
// neither open a file by its name nor ask the system about one.

#include "converter/pdf_part_check.h"

#include <qpdf/Buffer.hh>
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
    // Throws PartFailure for a part that cannot be read strictly, has no page, or whose pages
    // break the expectation. fd must stay open as long as the reader.
    PdfPartReader(int fd, const PartExpectation &expectation);
    PdfPartReader(const PdfPartReader &) = delete;
    PdfPartReader &operator=(const PdfPartReader &) = delete;

    QPDF &document() { return m_pdf; }
    const std::vector<PartPage> &pages() const { return m_pages; }
    // "1.0" to "1.7" or "2.0": any other fails the part.
    std::string version() const;

    // Throws PartFailure when anything read so far drew a warning.
    void throwIfWarned();
    [[noreturn]] void fail(const std::string &why) const;

private:
    void open(int fd);
    PartPage pageAt(std::size_t index, const QPDFObjectHandle &page) const;

    struct Mapping
    {
        Mapping() = default;
        Mapping(const Mapping &) = delete;
        Mapping &operator=(const Mapping &) = delete;
        ~Mapping();
        void *address = nullptr;
        std::size_t size = 0;
    };

    // The file's bytes, mapped; the buffer only points at them. Declared before the document,
    // which reads them until it goes.
    Mapping m_mapping;
    Buffer m_bytes;
    QPDF m_pdf;
    std::vector<PartPage> m_pages;
};

// Called in a catch block: rethrows a PartFailure, a ConversionFailure or std::bad_alloc as it
// is, and anything else libqpdf throws (a damaged file, an object of the wrong type) as the
// part's failure.
[[noreturn]] void rethrowAsPartFailure();

} // namespace converter
