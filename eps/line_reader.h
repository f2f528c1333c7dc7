#pragma once

// Walks a range of a file line by line with a fixed buffer, so memory stays flat whatever the
// bytes (a gigabyte without a line end included). Carriage returns end lines too (CR LF is one
// line end, so a blank line is always a line of its own), and so does Control-D, the end of a job
// that printer drivers write around their files. Only the start of each line is kept: document
// structuring comments are short and begin the line.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace eps {

class LineReader
{
public:
    static constexpr std::size_t prefixLimit = 255;

    // Reads [begin, end) of the file open on fd; begin counts as a line start.
    LineReader(int fd, std::uint64_t begin, std::uint64_t end);

    struct Line
    {
        std::uint64_t offset = 0;
        std::string_view prefix; // at most prefixLimit bytes, without the line end
        bool whole = false;      // the prefix is the whole line
    };

    // The next line that starts with '%' or with the first byte of a DOS EPS header, or every
    // line when allLines is set; false at the end of the range. Throws EpsError when the
    // file cannot be read.
    bool next(Line &line, bool allLines = false);

private:
    bool fill();

    int m_fd;
    std::uint64_t m_position; // file offset of m_buffer[m_start]
    std::uint64_t m_end;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_start = 0;
    std::size_t m_length = 0;
    bool m_atLineStart = true;
    bool m_afterCarriageReturn = false; // a line feed next finishes that line end
    std::string m_prefix;
};

} // namespace eps
