#pragma once

// The life of the PDF reader, in the process forked for it: it shuts itself in, then answers the
// converter's requests one at a time (see pdf_reader_protocol.h) until the converter goes.

#include <cstdint>
#include <sys/types.h>

namespace converter {

// Never returns. socket: the reader's end; memory: the bytes it may take beyond what it holds
// now; converter: the parent's pid, with which it dies.
[[noreturn]] void servePdfReading(int socket, std::uint64_t memory, pid_t converter);

} // namespace converter
