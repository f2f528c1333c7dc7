#pragma once

// The objects of the joined PDF that a later part may share, found by a hash of their bytes. The
// hash only narrows the search: an object is taken for another only once every byte written was
// read back and compared, so that no part can pass its font or image off as another part's.

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>

namespace converter {

class SharedObjects
{
public:
    // The number of an object already written whose body (length bytes, hashed to key) is the
    // one sameAt(offset of a candidate's body) finds there.
    std::optional<std::uint32_t> find(std::uint64_t key, std::uint64_t length,
                                      const std::function<bool(std::uint64_t)> &sameAt) const;
    void add(std::uint64_t key, std::uint64_t length, std::uint32_t number, std::uint64_t at);

private:
    struct Written
    {
        std::uint64_t length;
        std::uint64_t at;
        std::uint32_t number;
    };
    // Bodies that share a hash and differ are compared at most this many times each: crafted
    // collisions cost a bounded amount of reading.
    static constexpr std::size_t candidatesPerHash = 4;

    std::unordered_multimap<std::uint64_t, Written> m_byHash;
};

} // namespace converter
