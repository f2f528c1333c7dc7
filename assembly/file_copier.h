#pragma once

// Appends whole files to one open output. Small files are gathered in a buffer and written in
// large blocks, so that thousands of them cost one read each rather than a copy call each; large
// ones take the kernel's own copy path where the file system offers it. Memory stays flat
// whatever the sizes: one buffer, reused.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace assembly {

class FileCopier
{
public:
    static constexpr std::size_t bufferSize = std::size_t{1} << 20;
    // Up to this size a source is gathered in the buffer.
    static constexpr std::uint64_t smallSource = std::uint64_t{64} * 1024;

    // stopRequested is asked between blocks, so that even one huge source can be given up at
    // once (the copy then throws JobInterrupted).
    FileCopier(int output, std::string outputPath, std::function<bool()> stopRequested = {});

    // Copies the source from its current position: the expectedSize bytes its fstat announced
    // (a source that grew since is copied as it was then), or, when that says nothing (0, or a
    // file system whose copy path stops early), everything to its end. Returns the number of
    // bytes copied. A short write goes on with the rest; only an error the system reports ends
    // the copy, as an EInOutError naming sourcePath or the output. Bytes may stay buffered until
    // the next large source or flush().
    std::uint64_t append(int source, const std::string &sourcePath, std::uint64_t expectedSize);

    // Writes whatever is buffered; the output is whole once it returns.
    void flush();

private:
    std::uint64_t gather(int source, const std::string &sourcePath, std::uint64_t size);
    std::uint64_t appendWithKernel(int source, const std::string &sourcePath,
                                   std::uint64_t expectedSize);
    std::uint64_t appendWithBuffer(int source, const std::string &sourcePath, std::uint64_t limit);
    void stopIfRequested() const;

    int m_output;
    std::string m_outputPath;
    std::function<bool()> m_stopRequested;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_pending = 0;
    bool m_kernelCopy = true;
};

} // namespace assembly
