#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kv::title {

// Sorts and removes duplicates; large inputs take two 16-bit radix passes, which beats a
// comparison sort by an order of magnitude on the 10^5-element groups a search returns.
inline void sortUnique(std::vector<uint32_t>& v) {
    if (v.size() < 2048) {
        std::sort(v.begin(), v.end());
    } else {
        std::vector<uint32_t> tmp(v.size());
        std::vector<uint32_t> count(65537);
        for (int shift = 0; shift < 32; shift += 16) {
            std::fill(count.begin(), count.end(), 0);
            for (uint32_t x : v)
                ++count[((x >> shift) & 0xFFFF) + 1];
            for (size_t i = 1; i < count.size(); ++i)
                count[i] += count[i - 1];
            for (uint32_t x : v)
                tmp[count[(x >> shift) & 0xFFFF]++] = x;
            v.swap(tmp);
        }
    }
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

} // namespace kv::title
