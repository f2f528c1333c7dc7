#pragma once

// What each process working on one source may take (its Ghostscript, the reader of its PDF), and
// how the conversion says that a source went past it: so that no file, however small, can take
// the machine. Processor time has its own limit, the job's (BRAKWEN_TIME_LIMIT).

#include <cstdint>
#include <string>

namespace converter {

// Mebibytes of memory each such process may take, and of scratch space each Ghostscript may
// fill, when set: tests lower them; a user whose documents need more raises them.
inline constexpr const char *memoryLimitVariable = "BRAKWEN_MEMORY_LIMIT";
inline constexpr const char *scratchLimitVariable = "BRAKWEN_SCRATCH_LIMIT";

// Bytes of memory one process may take when `processes` of them run at once: the variable's
// value when set, else half the machine's memory shared among them, at least 256 MiB and at
// most 2 GiB (a source needing more is not a figure but an attack).
std::uint64_t memoryLimit(unsigned processes);

// Bytes of scratch space (its scratch files together, in memory, and any one file it writes, its
// PDF included) one Ghostscript may fill when `processes` of them run at once: the variable's
// value when set, else a quarter of the machine's memory shared among them, at least 64 MiB and
// at most 1 GiB, so that with their memory all of them at their limits fit in the machine.
std::uint64_t scratchLimit(unsigned processes);

// Everything one part's Ghostscript may use.
struct PartLimits
{
    std::uint64_t memoryBytes = 0; // beyond the interpreter it starts as
    std::uint64_t scratchBytes = 0;
    std::uint64_t scratchFiles = 0;
    std::uint64_t openFiles = 0;
};
PartLimits partLimits(unsigned processes);

// In a part's child, before it reads a byte of its part: the limits, for good. dataAtStart is
// the private writable memory it started with (a sanitizer's reserves included), on top of which
// its memory limit counts; 0 when unknown, and then no memory limit can be set. False when one
// could not be set.
bool applyPartLimits(const PartLimits &limits, std::uint64_t dataAtStart);

// "2 Gio", "512 Mio", "1536 Kio": a size in the largest binary unit that says it exactly.
std::string binarySize(std::uint64_t bytes);

// "fichier 3 (« x.eps ») : mémoire épuisée (limite 2 Gio)".
std::string memoryExhausted(const std::string &description, std::uint64_t limit);
// "fichier 3 (« x.eps ») : espace de travail épuisé (limite 1 Gio)".
std::string scratchExhausted(const std::string &description, std::uint64_t limit);

} // namespace converter
