#include "converter/part_plan.h"

#include "converter/conversion_failure.h"
#include "eps/dos_eps_header.h"
#include "eps/dsc_comments.h"
#include "posix/eintr.h"

#include <unistd.h>

namespace converter {

using eps::findPieceEnd;
using eps::PieceFacts;
using eps::readDosEpsHeader;
using eps::readPartFacts;

namespace {

// Blank lines or a Control-D between files, or padding after a DOS EPS, make no page.
constexpr std::uint64_t blankLimit = 4096;

bool isBlankRange(int fd, std::uint64_t offset, std::uint64_t length)
{
    if (length > blankLimit)
        return false;
    char bytes[blankLimit];
    const ssize_t got = posix::retryOnInterrupt([&] {
        return ::pread(fd, bytes, static_cast<std::size_t>(length), static_cast<off_t>(offset));
    });
    if (got != static_cast<ssize_t>(length))
        return false;
    for (ssize_t i = 0; i < got; ++i) {
        switch (bytes[i]) {
        case ' ':
        case '\t':
        case '\r':
        case '\n':
        case '\f':
        case '\v':
        case '\0':
        case '\004':
            break;
        default:
            return false;
        }
    }
    return true;
}

Part makePart(std::uint64_t number, std::uint64_t offset, std::uint64_t length,
              const PieceFacts &facts)
{
    Part part;
    part.number = number;
    part.offset = offset;
    part.length = length;
    if (facts.isEps()) {
        part.kind = Part::Kind::Eps;
        part.box = *facts.box;
    }
    return part;
}

} // namespace

std::string Part::description() const
{
    std::string text = "fichier " + std::to_string(number);
    if (!name.empty())
        text += " (« " + name + " »)";
    return text;
}

std::vector<Part> planFromManifest(int fd, const std::vector<assembly::ManifestPart> &files)
{
    std::vector<Part> parts;
    parts.reserve(files.size());
    std::uint64_t offset = 0;
    for (const assembly::ManifestPart &file : files) {
        Part named;
        named.number = parts.size() + 1;
        named.name = file.name;
        const std::string what = named.description();
        const std::uint64_t end = offset + file.size;
        if (file.size == 0)
            throw ConversionFailure(what + " : fichier vide, il ne donnerait aucune page");
        Part part;
        if (const auto dos = readDosEpsHeader(fd, offset, end, what)) {
            part = makePart(named.number, dos->postScriptOffset, dos->postScriptLength,
                            readPartFacts(fd, dos->postScriptOffset,
                                          dos->postScriptOffset + dos->postScriptLength));
        } else {
            if (isBlankRange(fd, offset, file.size))
                throw ConversionFailure(what +
                                        " : rien que des blancs, il ne donnerait aucune page");
            part = makePart(named.number, offset, file.size, readPartFacts(fd, offset, end));
        }
        part.name = file.name;
        parts.push_back(std::move(part));
        offset = end;
    }
    return parts;
}

std::vector<Part> planByContent(int fd, std::uint64_t size)
{
    std::vector<Part> parts;
    std::uint64_t position = 0;
    while (position < size) {
        const std::uint64_t number = parts.size() + 1;
        const std::string what = "fichier " + std::to_string(number);
        if (const auto dos = readDosEpsHeader(fd, position, size, what)) {
            parts.push_back(makePart(number, dos->postScriptOffset, dos->postScriptLength,
                                     readPartFacts(fd, dos->postScriptOffset,
                                                   dos->postScriptOffset + dos->postScriptLength)));
            position = dos->fileEnd;
            continue;
        }
        const std::uint64_t end = findPieceEnd(fd, position, size);
        if (!isBlankRange(fd, position, end - position))
            parts.push_back(
                makePart(number, position, end - position, readPartFacts(fd, position, end)));
        position = end;
    }
    return parts;
}

} // namespace converter
