#pragma once

// Appends whole files to an open output, with the kernel's own copy path where the file system
// offers it and a large reused buffer otherwise, so memory stays flat whatever the sizes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace assembly {

class FileCopier
{
public:
    static constexpr std::size_t bufferSize = 256 * 1024;

    // stopRequested is asked between blocks, so that even one huge source can be given up at
    // once (the copy then throws JobInterrupted).
    explicit FileCopier(std::function<bool()> stopRequested = {});

    // Copies everything from source's current position to its end onto output; returns the
    // number of bytes copied. A short write goes on with the rest; only an error the system
    // reports ends the copy, as an EInOutError naming sourcePath or outputPath. expectedSize
    // (the size fstat gave) only saves a system call per file; the end of the source is always
    // confirmed by a read that returns nothing.
    std::uint64_t append(int source, int output, const std::string &sourcePath,
                         const std::string &outputPath, std::uint64_t expectedSize);

private:
    std::uint64_t appendWithKernel(int source, int output, const std::string &sourcePath,
                                   const std::string &outputPath, std::uint64_t expectedSize);
    std::uint64_t appendWithBuffer(int source, int output, const std::string &sourcePath,
                                   const std::string &outputPath);
    void writeAll(int output, const char *data, std::size_t size, const std::string &outputPath);
    void stopIfRequested() const;

    std::function<bool()> m_stopRequested;
    std::unique_ptr<char[]> m_buffer;
    bool m_kernelCopy = true;
};

} // namespace assembly
