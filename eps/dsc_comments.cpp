#include "eps/dsc_comments.h"

#include "eps/line_reader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace eps {

namespace {

constexpr std::string_view psHeader = "%!PS-Adobe-";
constexpr std::string_view dosMagic = "\xC5\xD0\xD3\xC6";
constexpr std::string_view endOfFile = "%%EOF";

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// The blank-separated words of text.
std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            result.push_back(text.substr(start, i - start));
    }
    return result;
}

// A PostScript-style decimal number: sign, digits, an optional fraction and exponent.
std::optional<double> number(std::string_view word)
{
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < word.size() && word[i] >= '0' && word[i] <= '9')
        ++i, ++digits;
    if (i < word.size() && word[i] == '.') {
        ++i;
        while (i < word.size() && word[i] >= '0' && word[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        if (i < word.size() && (word[i] == '+' || word[i] == '-'))
            ++i;
        const std::size_t exponentStart = i;
        while (i < word.size() && word[i] >= '0' && word[i] <= '9')
            ++i;
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != word.size())
        return std::nullopt;
    const double value = std::strtod(std::string(word).c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// Tracks embedded documents and keeps the first usable box and page count outside them.
class FactsCollector
{
public:
    // Returns false for lines inside an embedded document, which tell nothing of the piece.
    bool take(Comment comment, std::string_view value)
    {
        if (comment == Comment::BeginDocument) {
            ++m_depth;
            return false;
        }
        if (comment == Comment::EndDocument) {
            if (m_depth > 0)
                --m_depth;
            return false;
        }
        if (m_depth > 0)
            return false;
        if (comment == Comment::BoundingBox && !facts.box)
            facts.box = parseBoundingBox(value);
        if (comment == Comment::Pages && facts.pages < 0) {
            if (const auto pages = parsePageCount(value))
                facts.pages = *pages;
            else
                m_pagesDeferred = true;
        }
        return true;
    }

    bool pagesDeferred() const { return m_pagesDeferred && facts.pages < 0; }

    PieceFacts facts;

private:
    int m_depth = 0;
    bool m_pagesDeferred = false;
};

} // namespace

Comment classifyLine(std::string_view line, std::string_view &value)
{
    if (startsWith(line, psHeader) || startsWith(line, dosMagic))
        return Comment::Header;
    if (startsWith(line, "%%BeginDocument"))
        return Comment::BeginDocument;
    if (startsWith(line, "%%EndDocument"))
        return Comment::EndDocument;
    if (startsWith(line, "%%BoundingBox:")) {
        value = line.substr(14);
        return Comment::BoundingBox;
    }
    if (startsWith(line, "%%Pages:")) {
        value = line.substr(8);
        return Comment::Pages;
    }
    if (startsWith(line, endOfFile)) {
        const std::string_view after = line.substr(endOfFile.size());
        if (startsWith(after, psHeader) || startsWith(after, dosMagic))
            return Comment::HeaderAfterEof;
    }
    return Comment::Other;
}

std::optional<BoundingBox> parseBoundingBox(std::string_view value)
{
    const std::vector<std::string_view> fields = words(value);
    if (fields.size() != 4)
        return std::nullopt;
    double numbers[4];
    for (std::size_t i = 0; i < 4; ++i) {
        const auto parsed = number(fields[i]);
        if (!parsed)
            return std::nullopt;
        numbers[i] = *parsed;
    }
    const BoundingBox box{numbers[0], numbers[1], numbers[2], numbers[3]};
    if (box.width() <= 0 || box.height() <= 0)
        return std::nullopt;
    return box;
}

std::optional<long> parsePageCount(std::string_view value)
{
    const std::vector<std::string_view> fields = words(value);
    if (fields.size() != 1)
        return std::nullopt;
    long pages = 0;
    const auto [end, error] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), pages);
    if (error != std::errc() || end != fields[0].data() + fields[0].size() || pages < 0)
        return std::nullopt;
    return pages;
}

PieceFacts readPartFacts(int fd, std::uint64_t begin, std::uint64_t end)
{
    // The header comments run to %%EndComments or the first line that is no structuring comment
    // ("%%" or "%!"); they usually say it all.
    bool startsWithHeader = false;
    {
        LineReader reader(fd, begin, end);
        FactsCollector header;
        LineReader::Line line;
        while (reader.next(line, true) &&
               (startsWith(line.prefix, "%%") || startsWith(line.prefix, "%!")) &&
               !startsWith(line.prefix, "%%EndComments")) {
            std::string_view value;
            const Comment comment = classifyLine(line.prefix, value);
            if (line.offset == begin)
                startsWithHeader = comment == Comment::Header;
            header.take(comment, value);
        }
        header.facts.startsWithHeader = startsWithHeader;
        if (header.facts.box && !header.pagesDeferred())
            return header.facts;
    }
    // "(atend)", or no box at all: whatever the whole file says.
    LineReader reader(fd, begin, end);
    FactsCollector all;
    LineReader::Line line;
    while (reader.next(line)) {
        std::string_view value;
        all.take(classifyLine(line.prefix, value), value);
    }
    all.facts.startsWithHeader = startsWithHeader;
    return all.facts;
}

PieceScan scanPiece(int fd, std::uint64_t begin, std::uint64_t limit)
{
    PieceScan scan;
    scan.end = limit;
    LineReader reader(fd, begin, limit);
    FactsCollector collector;
    LineReader::Line line;
    while (reader.next(line)) {
        std::string_view value;
        const Comment comment = classifyLine(line.prefix, value);
        if (line.offset == begin) {
            scan.facts.startsWithHeader =
                comment == Comment::Header || comment == Comment::HeaderAfterEof;
            if (comment == Comment::HeaderAfterEof) {
                // "%%EOF" ends the previous file; the header right after it is a piece of its own.
                scan.end = begin + endOfFile.size();
                scan.facts.startsWithHeader = false;
                break;
            }
            collector.take(comment, value);
            continue;
        }
        const bool outside = collector.take(comment, value);
        if (outside && comment == Comment::Header) {
            scan.end = line.offset;
            break;
        }
        if (outside && comment == Comment::HeaderAfterEof) {
            scan.end = line.offset + endOfFile.size();
            break;
        }
    }
    scan.facts.box = collector.facts.box;
    scan.facts.pages = collector.facts.pages;
    return scan;
}

} // namespace eps
