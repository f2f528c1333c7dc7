#include "eps/line_reader.h"

#include "eps/eps_error.h"
#include "posix/eintr.h"

#include <unistd.h>

namespace eps {

namespace {

constexpr std::size_t bufferSize = std::size_t{1} << 20;

// The bytes that end a line, looked up rather than compared: the scan runs over every byte.
struct LineEnds
{
    bool table[256] = {};
    constexpr LineEnds()
    {
        table[static_cast<unsigned char>('\n')] = true;
        table[static_cast<unsigned char>('\r')] = true;
        table[4] = true;
    }
};
constexpr LineEnds lineEnds;

bool endsLine(char c)
{
    return lineEnds.table[static_cast<unsigned char>(c)];
}

bool mayStartComment(char c)
{
    return c == '%' || static_cast<unsigned char>(c) == 0xC5;
}

// Structuring comments start "%%" or "%!"; a line of plain comment ("% ...") is skipped as soon
// as its second byte says so.
bool plainComment(const std::string &prefix)
{
    return prefix.size() >= 2 && prefix[0] == '%' && prefix[1] != '%' && prefix[1] != '!';
}

} // namespace

LineReader::LineReader(int fd, std::uint64_t begin, std::uint64_t end)
    : m_fd(fd), m_position(begin), m_end(end), m_buffer(new char[bufferSize])
{
    m_prefix.reserve(prefixLimit);
}

bool LineReader::fill()
{
    m_position += m_length;
    m_start = 0;
    m_length = 0;
    if (m_position >= m_end)
        return false;
    const std::uint64_t wanted = std::min<std::uint64_t>(bufferSize, m_end - m_position);
    const ssize_t got = posix::retryOnInterrupt([&] {
        return ::pread(m_fd, m_buffer.get(), static_cast<std::size_t>(wanted),
                       static_cast<off_t>(m_position));
    });
    if (got < 0)
        throw EpsError("lecture impossible du fichier à convertir");
    m_length = static_cast<std::size_t>(got);
    return got > 0;
}

bool LineReader::next(Line &line, bool allLines)
{
    for (;;) {
        if (m_start >= m_length && !fill())
            return false;
        const char *data = m_buffer.get();
        if (!m_atLineStart) {
            // Skip to the end of the current line.
            std::size_t i = m_start;
            while (i < m_length && !endsLine(data[i]))
                ++i;
            if (i == m_length) {
                m_start = m_length;
                continue;
            }
            m_afterCarriageReturn = data[i] == '\r';
            m_start = i + 1;
            m_atLineStart = true;
            continue;
        }
        if (m_afterCarriageReturn) {
            m_afterCarriageReturn = false;
            if (data[m_start] == '\n') {
                ++m_start;
                continue;
            }
        }
        const std::uint64_t offset = m_position + m_start;
        m_atLineStart = false;
        if (!allLines && !mayStartComment(data[m_start]))
            continue;
        // Keep the line's start, across buffer refills if need be.
        m_prefix.clear();
        bool whole = false;
        for (;;) {
            std::size_t i = m_start;
            while (i < m_length && !endsLine(data[i]) && m_prefix.size() < prefixLimit) {
                m_prefix.push_back(data[i++]);
                if (m_prefix.size() == 2 && !allLines && plainComment(m_prefix))
                    break;
            }
            m_start = i;
            if (i < m_length && endsLine(data[i]))
                whole = true;
            if (i < m_length || m_prefix.size() >= prefixLimit || plainComment(m_prefix))
                break;
            if (!fill()) {
                whole = true;
                break;
            }
            data = m_buffer.get();
        }
        if (!allLines && plainComment(m_prefix))
            continue;
        line.offset = offset;
        line.prefix = m_prefix;
        line.whole = whole;
        return true;
    }
}

} // namespace eps
