#include "assembly/error_message.h"

namespace assembly {

std::string withFinalPeriod(const std::string &message)
{
    if (message.empty())
        return message;
    const auto last = static_cast<unsigned char>(message.back());
    if (last > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

} // namespace assembly
