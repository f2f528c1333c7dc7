#include "converter/part_pdf.h"

#include "converter/conversion_failure.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <qpdf/Pl_StdioFile.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>
#include <unistd.h>

namespace converter {

CheckedPart checkPart(const std::string &pdfPath, const PartExpectation &expectation)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile(pdfPath.c_str());
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (pdf.anyWarnings())
            throw ConversionFailure(expectation.description + " : PDF endommagé");
        if (pages.empty())
            throw ConversionFailure(expectation.description + " : aucune page");
        if (expectation.pageSize) {
            for (QPDFPageObjectHelper page : pages) {
                const QPDFObjectHandle::Rectangle box =
                    page.getMediaBox(true).getArrayAsRectangle();
                if (std::fabs(box.llx) > 0.01 || std::fabs(box.lly) > 0.01 ||
                    std::fabs(box.urx - expectation.pageSize->first) > 0.01 ||
                    std::fabs(box.ury - expectation.pageSize->second) > 0.01)
                    throw ConversionFailure(expectation.description +
                                            " : une page n'a pas la taille du cadre");
            }
        }
        return CheckedPart{pdfPath, static_cast<long>(pages.size())};
    } catch (const std::exception &error) {
        if (dynamic_cast<const ConversionFailure *>(&error) != nullptr)
            throw;
        throw ConversionFailure(expectation.description + " : PDF illisible");
    }
}

void joinParts(const std::vector<CheckedPart> &parts, const std::vector<std::string> &outlineTitles,
               const DocumentInfo &info, int outputFd)
{
    QPDF result;
    result.emptyPDF();
    QPDFPageDocumentHelper resultPages(result);
    std::vector<std::unique_ptr<QPDF>> sources;
    std::vector<QPDFObjectHandle> firstPages;
    for (const CheckedPart &part : parts) {
        sources.push_back(std::make_unique<QPDF>());
        sources.back()->setSuppressWarnings(true);
        sources.back()->processFile(part.path.c_str());
        bool first = true;
        for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(*sources.back()).getAllPages()) {
            QPDFObjectHandle copy = result.copyForeignObject(page.getObjectHandle());
            for (const char *key : {"/Annots", "/AA", "/Metadata"})
                copy.removeKey(key);
            resultPages.addPage(QPDFPageObjectHelper(copy), false);
            if (first)
                firstPages.push_back(result.getAllPages().back());
            first = false;
        }
    }
    QPDFObjectHandle root = result.getRoot();
    QPDFObjectHandle outlines =
        result.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Outlines >>"));
    QPDFObjectHandle previous;
    QPDFObjectHandle firstItem;
    for (std::size_t i = 0; i < firstPages.size(); ++i) {
        QPDFObjectHandle item = result.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(outlineTitles[i]));
        item.replaceKey("/Parent", outlines);
        QPDFObjectHandle dest = QPDFObjectHandle::newArray();
        dest.appendItem(firstPages[i]);
        dest.appendItem(QPDFObjectHandle::newName("/Fit"));
        item.replaceKey("/Dest", dest);
        if (previous.isInitialized()) {
            previous.replaceKey("/Next", item);
            item.replaceKey("/Prev", previous);
        } else {
            firstItem = item;
        }
        previous = item;
    }
    if (firstItem.isInitialized()) {
        outlines.replaceKey("/First", firstItem);
        outlines.replaceKey("/Last", previous);
        outlines.replaceKey(
            "/Count", QPDFObjectHandle::newInteger(static_cast<long long>(firstPages.size())));
        root.replaceKey("/Outlines", outlines);
    }
    QPDFObjectHandle documentInfo = result.makeIndirectObject(QPDFObjectHandle::newDictionary());
    documentInfo.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(info.title));
    documentInfo.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(info.creator));
    documentInfo.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(info.producer));
    const std::string now = QUtil::qpdf_time_to_pdf_time(QUtil::get_current_qpdf_time());
    documentInfo.replaceKey("/CreationDate", QPDFObjectHandle::newString(now));
    documentInfo.replaceKey("/ModDate", QPDFObjectHandle::newString(now));
    result.getTrailer().replaceKey("/Info", documentInfo);

    FILE *file = ::fdopen(::dup(outputFd), "wb");
    if (file == nullptr)
        throw ConversionFailure("le PDF ne peut pas être écrit");
    try {
        QPDFWriter writer(result);
        auto pipeline = std::make_shared<Pl_StdioFile>("output", file);
        writer.setOutputPipeline(pipeline.get());
        writer.setCompressStreams(true);
        writer.write();
    } catch (const std::exception &) {
        std::fclose(file);
        throw ConversionFailure("le PDF ne peut pas être écrit (disque plein ?)");
    }
    if (std::fclose(file) != 0)
        throw ConversionFailure("le PDF ne peut pas être écrit (disque plein ?)");
}

} // namespace converter
