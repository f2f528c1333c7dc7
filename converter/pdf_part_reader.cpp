#include "converter/pdf_part_reader.h"

#include "converter/conversion_failure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace converter {

namespace {

const std::string damaged = "le PDF produit est endommagé ou a dû être réparé";

// A page's box may differ from its source's by a rounding to hundredths.
constexpr double tolerance = 0.01 + 1e-9;

bool near(double value, double expected)
{
    return std::abs(value - expected) <= tolerance;
}

// "210", "210.5": a size said to the user.
std::string points(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string result = text;
    result.erase(result.find_last_not_of('0') + 1);
    if (result.back() == '.')
        result.pop_back();
    return result;
}

// A rectangle's four numbers, lower left corner first; empty when the value is no rectangle.
std::vector<QPDFObjectHandle> rectangle(QPDFObjectHandle value)
{
    if (!value.isArray() || value.getArrayNItems() != 4)
        return {};
    std::vector<QPDFObjectHandle> corners = value.getArrayAsVector();
    for (QPDFObjectHandle &number : corners)
        if (!number.isNumber())
            return {};
    if (corners[0].getNumericValue() > corners[2].getNumericValue())
        std::swap(corners[0], corners[2]);
    if (corners[1].getNumericValue() > corners[3].getNumericValue())
        std::swap(corners[1], corners[3]);
    return corners;
}

std::string said(const std::vector<QPDFObjectHandle> &corners)
{
    std::string text = "[";
    for (const QPDFObjectHandle &number : corners) {
        if (text.size() > 1)
            text += ' ';
        text += points(QPDFObjectHandle(number).getNumericValue());
    }
    return text + "]";
}

double value(const std::vector<QPDFObjectHandle> &corners, std::size_t at)
{
    return QPDFObjectHandle(corners[at]).getNumericValue();
}

// The part ends as Ghostscript ends a PDF it finished writing. qpdf finds the cross-reference
// table anywhere in the last kilobyte, so a file cut by a full disk a few bytes before its end
// reads without a warning.
bool endsWhole(std::string_view bytes)
{
    constexpr std::string_view end = "%%EOF";
    std::string_view tail = bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 16));
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r'))
        tail.remove_suffix(1);
    return tail.size() >= end.size() && tail.substr(tail.size() - end.size()) == end;
}

} // namespace

PdfPartReader::PdfPartReader(int fd, const PartExpectation &expectation)
{
    try {
        open(fd);
        const std::vector<QPDFObjectHandle> &pages = m_pdf.getAllPages();
        if (pages.empty())
            fail("le PDF produit n'a aucune page");
        m_pages.reserve(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i)
            m_pages.push_back(pageAt(i, pages[i]));
        throwIfWarned();
    } catch (...) {
        rethrowAsPartFailure();
    }
    if (!expectation.pageSize)
        return;
    const auto [width, height] = *expectation.pageSize;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        PartPage page = m_pages[i];
        const std::string which = "la page " + std::to_string(i + 1);
        const std::vector<QPDFObjectHandle> &media = page.mediaBox;
        if (!near(value(media, 0), 0) || !near(value(media, 1), 0) ||
            !near(value(media, 2), width) || !near(value(media, 3), height))
            fail(which + " a pour format " + said(media) + " au lieu de [0 0 " + points(width) +
                 " " + points(height) + "]");
        const std::vector<QPDFObjectHandle> &crop = page.cropBox;
        if (!crop.empty() && (value(crop, 0) > value(media, 0) + tolerance ||
                              value(crop, 1) > value(media, 1) + tolerance ||
                              value(crop, 2) < value(media, 2) - tolerance ||
                              value(crop, 3) < value(media, 3) - tolerance))
            fail(which + " est recadrée à " + said(crop) + " (CropBox)");
        if (!page.rotate.isNull() && page.rotate.getIntValue() % 360 != 0)
            fail(which + " est tournée (Rotate)");
        if (!page.userUnit.isNull() && page.userUnit.getNumericValue() != 1.0)
            fail(which + " a une autre unité de longueur (UserUnit)");
    }
}

PdfPartReader::Mapping::~Mapping()
{
    if (address != nullptr)
        ::munmap(address, size);
}

void PdfPartReader::open(int fd)
{
    // Its size from the descriptor itself: asking the system about a file (fstat) is a call a
    // confined reader may not make.
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size <= 0)
        fail(size < 0 ? "le PDF produit est introuvable ou illisible"
                      : "le PDF produit est incomplet ou endommagé");
    const auto length = static_cast<std::size_t>(size);
    void *mapped = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED)
        fail("le PDF produit est introuvable ou illisible");
    m_mapping.address = mapped;
    m_mapping.size = length;
    if (!endsWhole({static_cast<const char *>(mapped), length}))
        fail("le PDF produit est incomplet ou endommagé");
    m_bytes = Buffer(static_cast<unsigned char *>(mapped), length);
    m_pdf.setSuppressWarnings(true);
    // What qpdf would repair fails at once instead, and costs no reconstruction.
    m_pdf.setAttemptRecovery(false);
    m_pdf.processInputSource(std::make_shared<BufferInputSource>("part PDF", &m_bytes));
    const std::string version = m_pdf.getPDFVersion();
    if (version != "2.0" && !(version.size() == 3 && version >= "1.0" && version <= "1.7"))
        fail("le PDF produit a une version inconnue");
}

PartPage PdfPartReader::pageAt(std::size_t index, const QPDFObjectHandle &page) const
{
    const std::string which = "la page " + std::to_string(index + 1);
    QPDFPageObjectHelper helper(page);
    PartPage result;
    result.page = page;
    result.mediaBox = rectangle(helper.getAttribute("/MediaBox", false));
    if (result.mediaBox.empty() || value(result.mediaBox, 0) == value(result.mediaBox, 2) ||
        value(result.mediaBox, 1) == value(result.mediaBox, 3))
        fail(which + " n'a pas de format valable (MediaBox)");
    QPDFObjectHandle crop = helper.getAttribute("/CropBox", false);
    if (!crop.isNull()) {
        result.cropBox = rectangle(crop);
        if (result.cropBox.empty())
            fail(which + " a un recadrage invalide (CropBox)");
    }
    result.rotate = helper.getAttribute("/Rotate", false);
    if (!result.rotate.isNull() &&
        (!result.rotate.isInteger() || result.rotate.getIntValue() % 90 != 0))
        fail(which + " a une rotation invalide (Rotate)");
    result.userUnit = QPDFObjectHandle(page).getKey("/UserUnit");
    if (!result.userUnit.isNull() &&
        (!result.userUnit.isNumber() || !(result.userUnit.getNumericValue() > 0)))
        fail(which + " a une unité de longueur invalide (UserUnit)");
    result.resources = helper.getAttribute("/Resources", false);
    result.contents = QPDFObjectHandle(page).getKey("/Contents");
    result.group = QPDFObjectHandle(page).getKey("/Group");
    bool contentsWellFormed = result.contents.isNull() || result.contents.isStream();
    if (result.contents.isArray()) {
        const std::vector<QPDFObjectHandle> streams = result.contents.getArrayAsVector();
        contentsWellFormed = std::all_of(streams.begin(), streams.end(),
                                         [](QPDFObjectHandle item) { return item.isStream(); });
    }
    if (!contentsWellFormed || !(result.resources.isNull() || result.resources.isDictionary()) ||
        !(result.group.isNull() || result.group.isDictionary()))
        fail(which + " est mal formée");
    return result;
}

std::string PdfPartReader::version() const
{
    return m_pdf.getPDFVersion();
}

void PdfPartReader::throwIfWarned()
{
    if (m_pdf.anyWarnings())
        fail(damaged);
}

void PdfPartReader::fail(const std::string &why) const
{
    // A damaged file explains whatever else looked wrong in it.
    throw PartFailure(m_pdf.anyWarnings() ? damaged : why);
}

void rethrowAsPartFailure()
{
    try {
        throw;
    } catch (const PartFailure &) {
        throw;
    } catch (const ConversionFailure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (...) {
        throw PartFailure("le PDF produit est endommagé");
    }
}

} // namespace converter
