#include "pdf_parts.h"

#include "posix/child_process.h"
#include "posix/unique_fd.h"

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace pdf_parts {

using testing_support::runProgram;
using testing_support::writeFile;

std::string HandMadePart::text() const
{
    std::vector<std::string> objects = {
        "<</Type/Catalog/Pages 2 0 R" + catalog + ">>",
        "<</Type/Pages" + pages + ">>",
        "<</Type/Page/Parent 2 0 R/Contents 4 0 R" + page + ">>",
        stream("", contents),
    };
    objects.insert(objects.end(), extra.begin(), extra.end());
    return testing_support::pdfFromObjects(objects, version);
}

std::string HandMadePart::writeIn(const TempDir &folder, const std::string &name) const
{
    writeFile(folder.file(name), text());
    return folder.file(name);
}

std::string stream(const std::string &entries, const std::string &data)
{
    return "<<" + entries + "/Length " + std::to_string(data.size()) + ">>\nstream\n" + data +
           "\nendstream";
}

std::string ghostscriptPart(const TempDir &folder, const std::string &name, int width, int height,
                            const std::string &label, bool wholeFonts)
{
    const std::string size = std::to_string(width) + " " + std::to_string(height);
    writeFile(folder.file(name + ".eps"),
              "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " + size + "\n0 0 moveto " + size +
                  " lineto stroke /Helvetica findfont 12 scalefont setfont 10 10 moveto (" + label +
                  ") show showpage\n");
    std::vector<std::string> command = {posix::findInPath("gs"), "-q", "-dSAFER", "-dEPSCrop",
                                        "@" BRAKWEN_PDFWRITE_RSP};
    if (wholeFonts)
        command.emplace_back("-dSubsetFonts=false");
    command.insert(command.end(), {"-o", folder.file(name + ".pdf"), folder.file(name + ".eps")});
    if (runProgram(command).exitStatus != 0)
        throw std::runtime_error("gs failed on " + name);
    return folder.file(name + ".pdf");
}

namespace {

posix::UniqueFd openPart(const std::string &path)
{
    return posix::UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

} // namespace

CheckedPart check(const std::string &path, converter::PartExpectation expectation)
{
    const long pages = converter::checkPart(openPart(path).get(), expectation);
    return {path, expectation, pages};
}

std::string join(const TempDir &folder, const std::vector<CheckedPart> &parts,
                 std::vector<std::string> titles)
{
    for (std::size_t i = titles.size() + 1; i <= parts.size(); ++i)
        titles.push_back(std::to_string(i));
    const std::string path = folder.file("joined.pdf");
    const posix::UniqueFd output(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    converter::PdfJoiner joiner(output.get());
    for (std::size_t i = 0; i < parts.size(); ++i)
        joiner.copy(openPart(parts[i].path).get(), parts[i].expectation, parts[i].pages, titles[i]);
    joiner.finish({"joined", "Brakwen", "test"});
    return path;
}

bool passesQpdfCheck(const std::string &pdf)
{
    return runProgram({posix::findInPath("qpdf"), "--check", pdf}).exitStatus == 0;
}

} // namespace pdf_parts
