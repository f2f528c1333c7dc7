#include "posix/processor_time.h"

#include <sys/resource.h>

namespace posix {

double processorMilliseconds(ProcessorTimeOf whose)
{
    rusage usage = {};
    ::getrusage(whose == ProcessorTimeOf::ThisProcess ? RUSAGE_SELF : RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
}

} // namespace posix
