#pragma once

// The joined PDF as it is written, front to back, to a descriptor: objects go out as soon as they
// are known, under numbers handed out beforehand, and the cross-reference table comes last. What
// is written can be read back, to compare a new object with one already there. The first write
// error sticks (later writes are skipped) and throws at the next check, so that a full disk never
// ends as a silent short file.

#include <cstdint>
#include <qpdf/Pipeline.hh>
#include <string>
#include <string_view>
#include <vector>

namespace converter {

class PdfWriter
{
public:
    // fd: open for reading and writing; what it held is replaced.
    explicit PdfWriter(int fd);

    std::uint32_t allocate();
    // "N 0 obj", then the object's body through append(), then endObject().
    void beginObject(std::uint32_t number);
    void endObject();
    void append(std::string_view bytes);
    std::uint64_t offset() const { return m_flushed + m_buffer.size(); }

    // Whether the bytes written from at on are these; false as well when they cannot be read.
    bool matches(std::uint64_t at, std::string_view bytes);

    // Throws ConversionFailure after a write error.
    void throwIfFailed() const;
    // The cross-reference table and trailer, the version ("1.7") put in the header; throws
    // ConversionFailure when anything could not be written.
    void finish(std::string_view version, std::uint32_t catalog, std::uint32_t info,
                std::string_view identifier);

private:
    void flush();
    bool readBack(std::uint64_t at, char *into, std::size_t length);

    int m_fd;
    std::string m_buffer;
    std::uint64_t m_flushed = 0;
    std::vector<std::uint64_t> m_offsets; // by object number, object 0 included
    int m_error = 0;
};

// Stream data piped by libqpdf straight into the joined PDF.
class PdfWriterPipeline final : public Pipeline
{
public:
    explicit PdfWriterPipeline(PdfWriter &writer)
        : Pipeline("joined PDF", nullptr), m_writer(writer)
    {}
    void write(unsigned char const *data, std::size_t length) override
    {
        m_writer.append({reinterpret_cast<const char *>(data), length});
    }
    void finish() override {}

private:
    PdfWriter &m_writer;
};

} // namespace converter
