#pragma once

// Processor time, user and system together, as the benchmarks' profiles count it: one clock for
// every figure, so that they add up.

namespace posix {

enum class ProcessorTimeOf {
    ThisProcess,
    // Those that have ended and been waited for, and theirs in turn.
    EndedChildren,
};

// Milliseconds spent so far.
double processorMilliseconds(ProcessorTimeOf whose = ProcessorTimeOf::ThisProcess);

} // namespace posix
