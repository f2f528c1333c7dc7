#include "converter/pdf_part_reader.h"

#include "converter/conversion_failure.h"
#include "posix/eintr.h"
#include "posix/unique_fd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <qpdf/FileInputSource.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <string_view>
#include <sys/stat.h>
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
bool endsWhole(int fd, off_t size)
{
    constexpr std::string_view end = "%%EOF";
    char tail[16];
    const off_t from = size > static_cast<off_t>(sizeof tail) ? size - sizeof tail : 0;
    const ssize_t got =
        posix::retryOnInterrupt([&] { return ::pread(fd, tail, sizeof tail, from); });
    if (got != size - from)
        return false;
    std::string_view text(tail, static_cast<std::size_t>(got));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

PdfPartReader::PdfPartReader(const std::string &path, const PartExpectation &expectation)
    : m_description(expectation.description)
{
    try {
        open(path);
        const std::vector<QPDFObjectHandle> &pages = m_pdf.getAllPages();
        if (pages.empty())
            fail("le PDF produit n'a aucune page");
        m_pages.reserve(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i)
            m_pages.push_back(pageAt(i, pages[i]));
        throwIfWarned();
    } catch (...) {
        rethrowAsPartFailure(m_description);
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

void PdfPartReader::open(const std::string &path)
{
    posix::UniqueFd fd(posix::retryOnInterrupt(
        [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); }));
    struct stat status = {};
    if (!fd.valid() || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        fail("le PDF produit est introuvable ou illisible");
    if (!endsWhole(fd.get(), status.st_size))
        fail("le PDF produit est incomplet ou endommagé");
    FILE *file = ::fdopen(fd.get(), "rb");
    if (file == nullptr)
        throw std::bad_alloc();
    fd.release();
    // Not setFile(), which in qpdf 11.3 never closes the file it is given.
    auto source = std::make_shared<FileInputSource>(path.c_str(), file, true);
    m_pdf.setSuppressWarnings(true);
    // What qpdf would repair fails at once instead, and costs no reconstruction.
    m_pdf.setAttemptRecovery(false);
    m_pdf.processInputSource(source);
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
    throw ConversionFailure(m_description + " : " + (m_pdf.anyWarnings() ? damaged : why));
}

void rethrowAsPartFailure(const std::string &description)
{
    try {
        throw;
    } catch (const ConversionFailure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw ConversionFailure(description + " : mémoire insuffisante pour lire le PDF produit");
    } catch (...) {
        throw ConversionFailure(description + " : le PDF produit est endommagé");
    }
}

} // namespace converter
