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

// Depth inside embedded documents and resources, whose comments belong to someone else.
class Nesting
{
public:
    // True when the line is the piece's own: outside anything embedded, and no border itself.
    bool take(Comment comment)
    {
        if (comment == Comment::BeginDocument || comment == Comment::BeginResource) {
            ++m_depth;
            return false;
        }
        if (comment == Comment::EndDocument || comment == Comment::EndResource) {
            if (m_depth > 0)
                --m_depth;
            return false;
        }
        return m_depth == 0;
    }

private:
    int m_depth = 0;
};

std::string_view trimmedRight(std::string_view text)
{
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool endsWithShowpage(std::string_view code)
{
    const std::string_view text = trimmedRight(code);
    constexpr std::string_view showpage = "showpage";
    if (text.size() < showpage.size() || text.substr(text.size() - showpage.size()) != showpage)
        return false;
    // A whole token: "myshowpage" is someone's procedure.
    const std::size_t before = text.size() - showpage.size();
    if (before == 0)
        return true;
    const char c = text[before - 1];
    return isBlank(c) || c == '}' || c == ']' || c == ')' || c == '>';
}

// "%!PS-Adobe-3.0 EPSF-3.0": a header that says the file is an EPS.
bool isEpsHeader(std::string_view line)
{
    return startsWith(line, psHeader) &&
           line.find("EPSF", psHeader.size()) != std::string_view::npos;
}

bool isResourceHeader(std::string_view line)
{
    return startsWith(line, psHeader) &&
           line.find("Resource-", psHeader.size()) != std::string_view::npos;
}

// A line that keeps the header comments going: "%" and a printable character that is no blank.
// A blank line, a line of code or a plain "% note" ends them; "%Produced by ..." does not.
bool continuesHeader(std::string_view line)
{
    return line.size() >= 2 && line[0] == '%' && line[1] > ' ' && line[1] <= '~';
}

// A %%BoundingBox comment's value, with the "%%+" lines that continue it.
class BoxComment
{
public:
    void start(std::string_view value)
    {
        m_value = value;
        m_started = m_open = true;
    }

    // Adds a "%%+" line right after the comment; any other line closes it. False when the line
    // is not part of it.
    bool extend(std::string_view line)
    {
        m_open = m_open && startsWith(line, "%%+");
        if (m_open)
            (m_value += ' ') += line.substr(3);
        return m_open;
    }

    bool started() const { return m_started; }
    bool deferred() const
    {
        const std::vector<std::string_view> fields = words(m_value);
        return fields.size() == 1 && fields[0] == "(atend)";
    }
    std::optional<BoundingBox> box() const { return parseBoundingBox(m_value); }

private:
    std::string m_value;
    bool m_started = false;
    bool m_open = false;
};

} // namespace

Comment classifyLine(std::string_view line, std::string_view &value)
{
    if (startsWith(line, psHeader) || startsWith(line, dosMagic))
        return Comment::Header;
    if (!startsWith(line, "%%"))
        return Comment::Other;
    if (startsWith(line, "%%BeginDocument"))
        return Comment::BeginDocument;
    if (startsWith(line, "%%EndDocument"))
        return Comment::EndDocument;
    if (startsWith(line, "%%BeginResource"))
        return Comment::BeginResource;
    if (startsWith(line, "%%EndResource"))
        return Comment::EndResource;
    if (startsWith(line, "%%BoundingBox:")) {
        value = line.substr(14);
        return Comment::BoundingBox;
    }
    if (startsWith(line, "%%Trailer"))
        return Comment::Trailer;
    if (startsWith(line, endOfFile))
        return Comment::EndOfFile;
    if (startsWith(line, "%%EndComments"))
        return Comment::EndComments;
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

PieceFacts readPartFacts(int fd, std::uint64_t begin, std::uint64_t end)
{
    PieceFacts facts;
    BoxComment headerBox;
    {
        LineReader reader(fd, begin, end);
        LineReader::Line line;
        bool started = false;
        while (reader.next(line, true)) {
            // Blank lines or a Control-D before the first line belong to no one.
            if (!started && trimmedRight(line.prefix).empty())
                continue;
            started = true;
            std::string_view value;
            const Comment comment = classifyLine(line.prefix, value);
            if (!continuesHeader(line.prefix) || comment == Comment::EndComments)
                break;
            // The first box of the header is the one that counts.
            if (!headerBox.extend(line.prefix) && comment == Comment::BoundingBox &&
                !headerBox.started())
                headerBox.start(value);
        }
    }
    if (!headerBox.started())
        return facts;
    if (!headerBox.deferred()) {
        facts.box = headerBox.box();
        return facts;
    }
    // "(atend)": the file's own last box, wherever its maker put it (most after %%Trailer,
    // pstoedit before its last page).
    LineReader reader(fd, begin, end);
    Nesting nesting;
    LineReader::Line line;
    BoxComment box;
    const auto takeBox = [&] {
        if (box.started() && box.box())
            facts.box = box.box();
        box = BoxComment();
    };
    while (reader.next(line)) {
        std::string_view value;
        const Comment comment = classifyLine(line.prefix, value);
        const bool own = nesting.take(comment);
        if (own && box.extend(line.prefix))
            continue;
        takeBox();
        if (own && comment == Comment::BoundingBox)
            box.start(value);
    }
    takeBox();
    return facts;
}

std::uint64_t findPieceEnd(int fd, std::uint64_t begin, std::uint64_t limit)
{
    LineReader reader(fd, begin, limit);
    Nesting nesting;
    LineReader::Line line;
    // Whether the piece so far has ended as a file does: a %%EOF or %%Trailer met, or a showpage
    // ending its last line of code.
    bool trailed = false;
    bool shown = false;
    bool first = true;
    while (reader.next(line, true)) {
        std::string_view value;
        const Comment comment = classifyLine(line.prefix, value);
        const bool own = nesting.take(comment);
        if (first) {
            first = false;
            continue;
        }
        if (!own)
            continue;
        if (comment == Comment::Header && !isResourceHeader(line.prefix) &&
            (trailed || shown || isEpsHeader(line.prefix) || startsWith(line.prefix, dosMagic)))
            return line.offset;
        // A header glued to the end of a file on the same line: "showpage%!PS-Adobe-3.0 EPSF".
        const std::size_t glued = line.prefix.find(psHeader, 1);
        if (glued != std::string_view::npos && !isResourceHeader(line.prefix.substr(glued))) {
            const std::string_view before = line.prefix.substr(0, glued);
            if (comment == Comment::EndOfFile || comment == Comment::Trailer ||
                endsWithShowpage(before))
                return line.offset + glued;
        }
        if (comment == Comment::EndOfFile || comment == Comment::Trailer)
            trailed = true;
        else if (comment == Comment::Other && !startsWith(line.prefix, "%") &&
                 !trimmedRight(line.prefix).empty())
            // A long line is known by its start only: it counts as ending without showpage.
            shown = line.whole && endsWithShowpage(line.prefix);
    }
    return limit;
}

} // namespace eps
