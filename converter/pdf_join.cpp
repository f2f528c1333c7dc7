#include "converter/pdf_join.h"

#include "converter/pdf_object_copier.h"
#include "converter/pdf_part_reader.h"
#include "converter/pdf_shared_objects.h"
#include "converter/pdf_text.h"
#include "converter/pdf_writer.h"
#include "posix/pending_file.h"

#include <array>
#include <qpdf/QPDFCryptoProvider.hh>
#include <qpdf/QUtil.hh>
#include <stdexcept>

namespace converter {

namespace {

std::string reference(std::uint32_t number)
{
    return std::to_string(number) + " 0 R";
}

// The part's catalog, document information and page tree, which nothing copied may lead to.
ObjectSet documentLevel(PdfPartReader &reader)
{
    ObjectSet level;
    const auto add = [&level](const QPDFObjectHandle &object) {
        return object.isIndirect() && level.insert(object.getObjGen()).second;
    };
    QPDFObjectHandle trailer = reader.document().getTrailer();
    add(trailer.getKey("/Root"));
    add(trailer.getKey("/Info"));
    for (const PartPage &page : reader.pages())
        for (QPDFObjectHandle node = page.page; add(node);)
            node = node.getKey("/Parent");
    return level;
}

void appendBox(std::string &text, const char *key, const std::vector<QPDFObjectHandle> &corners)
{
    text += key;
    text += " [";
    for (const QPDFObjectHandle &number : corners)
        text += QPDFObjectHandle(number).unparseResolved() + " ";
    text.back() = ']';
}

// What a page's resources may hold: what its content draws with. Anything else a part puts
// there is nothing a page shows.
constexpr std::array<std::string_view, 8> drawnResources = {"/Font",       "/XObject", "/ExtGState",
                                                            "/ColorSpace", "/Pattern", "/Shading",
                                                            "/Properties", "/ProcSet"};

void appendResources(std::string &text, QPDFObjectHandle resources, PdfObjectCopier &copier)
{
    text += "/Resources <<";
    if (resources.isDictionary()) {
        for (const std::string_view category : drawnResources) {
            QPDFObjectHandle entry = resources.getKey(std::string(category));
            if (entry.isNull())
                continue;
            text += category;
            text += ' ';
            copier.append(text, entry);
        }
    }
    text += ">>";
}

// The page as the joined PDF holds it: the entries that say what it shows, nothing else.
std::string pageDictionary(PartPage page, PdfObjectCopier &copier, std::uint32_t tree)
{
    std::string text = "<</Type/Page/Parent " + reference(tree);
    appendBox(text, "/MediaBox", page.mediaBox);
    if (!page.cropBox.empty())
        appendBox(text, "/CropBox", page.cropBox);
    if (!page.rotate.isNull())
        text += "/Rotate " + page.rotate.unparseResolved();
    if (!page.userUnit.isNull())
        text += "/UserUnit " + page.userUnit.unparseResolved();
    appendResources(text, page.resources, copier);
    const std::pair<const char *, QPDFObjectHandle> drawn[] = {{"/Contents ", page.contents},
                                                               {"/Group ", page.group}};
    for (const auto &[key, value] : drawn) {
        if (!QPDFObjectHandle(value).isNull()) {
            text += key;
            copier.append(text, value);
        }
    }
    return text + ">>";
}

} // namespace

class PdfJoiner::Joiner
{
public:
    explicit Joiner(int fd) : m_writer(fd)
    {
        m_catalog = m_writer.allocate();
        m_tree = m_writer.allocate();
        m_outline = m_writer.allocate();
        m_info = m_writer.allocate();
    }

    void copy(int fd, const PartExpectation &expectation, long pages, std::string title)
    {
        PdfPartReader reader(fd, expectation);
        m_version = std::max(m_version, reader.version());
        const std::size_t first = m_pages.size();
        try {
            PdfObjectCopier copier(m_writer, m_shared, documentLevel(reader));
            for (const PartPage &page : reader.pages()) {
                const std::string text = pageDictionary(page, copier, m_tree);
                m_pages.push_back(m_writer.allocate());
                write(m_pages.back(), text);
            }
        } catch (...) {
            rethrowAsPartFailure();
        }
        m_firstPages.push_back(m_pages[first]);
        m_titles.push_back(std::move(title));
        reader.throwIfWarned();
        m_writer.throwIfFailed();
        if (static_cast<long>(reader.pages().size()) != pages)
            reader.fail("le PDF produit a changé depuis sa vérification");
    }

    void finish(const DocumentInfo &info)
    {
        if (m_titles.empty())
            throw std::logic_error("PdfJoiner::finish: no part copied");
        const std::vector<std::string> &titles = m_titles;
        std::vector<std::uint32_t> items;
        items.reserve(titles.size());
        for (std::size_t i = 0; i < titles.size(); ++i)
            items.push_back(m_writer.allocate());
        for (std::size_t i = 0; i < items.size(); ++i) {
            std::string text =
                "<</Title " + pdfTextHexString(titles[i]) + "/Parent " + reference(m_outline);
            if (i > 0)
                text += "/Prev " + reference(items[i - 1]);
            if (i + 1 < items.size())
                text += "/Next " + reference(items[i + 1]);
            text += "/Dest [" + reference(m_firstPages[i]) + "/XYZ null null null]>>";
            write(items[i], text);
        }
        write(m_outline, "<</Type/Outlines/First " + reference(items.front()) + "/Last " +
                             reference(items.back()) + "/Count " + std::to_string(items.size()) +
                             ">>");

        std::string kids;
        kids.reserve(m_pages.size() * 10);
        for (const std::uint32_t page : m_pages)
            kids += reference(page) + " ";
        kids.pop_back();
        write(m_tree,
              "<</Type/Pages/Count " + std::to_string(m_pages.size()) + "/Kids [" + kids + "]>>");
        write(m_catalog, "<</Type/Catalog/Pages " + reference(m_tree) + "/Outlines " +
                             reference(m_outline) + ">>");

        const std::string now =
            "(" + QUtil::qpdf_time_to_pdf_time(QUtil::get_current_qpdf_time()) + ")";
        write(m_info, "<</Title " + pdfTextHexString(info.title) + "/Creator " +
                          pdfTextHexString(info.creator) + "/Producer " +
                          pdfTextHexString(info.producer) + "/CreationDate " + now + "/ModDate " +
                          now + ">>");
        m_writer.finish(m_version, m_catalog, m_info, posix::randomHex(32));
    }

private:
    void write(std::uint32_t number, const std::string &text)
    {
        m_writer.beginObject(number);
        m_writer.append(text);
        m_writer.endObject();
    }

    PdfWriter m_writer;
    SharedObjects m_shared;
    std::uint32_t m_catalog = 0;
    std::uint32_t m_tree = 0;
    std::uint32_t m_outline = 0;
    std::uint32_t m_info = 0;
    // Transparency groups need 1.4; a part asking for more raises it.
    std::string m_version = "1.4";
    std::vector<std::uint32_t> m_pages;
    std::vector<std::uint32_t> m_firstPages;
    std::vector<std::string> m_titles;
};

PdfJoiner::PdfJoiner(int outputFd) : m_joiner(std::make_unique<Joiner>(outputFd)) {}

PdfJoiner::~PdfJoiner() = default;

void PdfJoiner::copy(int fd, const PartExpectation &expectation, long pages, std::string title)
{
    m_joiner->copy(fd, expectation, pages, std::move(title));
}

void PdfJoiner::finish(const DocumentInfo &info)
{
    m_joiner->finish(info);
}

void preparePdfLibrary()
{
    std::shared_ptr<QPDFCryptoImpl> digest = QPDFCryptoProvider::getImpl();
    digest->MD5_init();
    digest->MD5_finalize();
    QUtil::get_current_qpdf_time();
}

} // namespace converter
