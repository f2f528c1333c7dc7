#include "converter/pdf_shared_objects.h"

namespace converter {

std::optional<std::uint32_t>
SharedObjects::find(std::uint64_t key, std::uint64_t length,
                    const std::function<bool(std::uint64_t)> &sameAt) const
{
    const auto [first, last] = m_byHash.equal_range(key);
    for (auto candidate = first; candidate != last; ++candidate)
        if (candidate->second.length == length && sameAt(candidate->second.at))
            return candidate->second.number;
    return std::nullopt;
}

void SharedObjects::add(std::uint64_t key, std::uint64_t length, std::uint32_t number,
                        std::uint64_t at)
{
    if (m_byHash.count(key) < candidatesPerHash)
        m_byHash.emplace(key, Written{length, at, number});
}

} // namespace converter
