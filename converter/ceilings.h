#pragma once

// What each process working on one source may take (its Ghostscript, the reader of its PDF), and
// how the conversion says that a source went past it.

#include <cstdint>
#include <string>

namespace converter {

// Mebibytes of memory each such process may take, when set: tests lower it.
inline constexpr const char *memoryLimitVariable = "BRAKWEN_MEMORY_LIMIT";

// Bytes of memory one process may take when `processes` of them run at once: the variable's
// value when set, else half the machine's memory shared among them, at least 256 MiB and at
// most 2 GiB (a source needing more is not a figure but an attack).
std::uint64_t memoryLimit(unsigned processes);

// "2 Gio", "512 Mio", "1536 Kio": a size in the largest binary unit that says it exactly.
std::string binarySize(std::uint64_t bytes);

// "fichier 3 (« x.eps ») : mémoire épuisée (limite 2 Gio)".
std::string memoryExhausted(const std::string &description, std::uint64_t limit);

} // namespace converter
