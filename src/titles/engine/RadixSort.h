#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kv::title {

namespace detail {

// Least-significant-digit radix sort in passes of `bits` bits.
template <int Bits> void radixSort(std::vector<uint32_t>& v) {
    constexpr uint32_t buckets = 1u << Bits;
    std::vector<uint32_t> tmp(v.size());
    std::vector<uint32_t> count(buckets + 1);
    for (int shift = 0; shift < 32; shift += Bits) {
        std::fill(count.begin(), count.end(), 0);
        for (uint32_t x : v)
            ++count[((x >> shift) & (buckets - 1)) + 1];
        if (count[1] == v.size()) continue; // every key has this digit zero
        for (size_t i = 1; i < count.size(); ++i)
            count[i] += count[i - 1];
        for (uint32_t x : v)
            tmp[count[(x >> shift) & (buckets - 1)]++] = x;
        v.swap(tmp);
    }
}

} // namespace detail

// Sorts and removes duplicates. Search groups run from a handful to millions of positions;
// radix passes beat a comparison sort by an order of magnitude beyond a few dozen.
inline void sortUnique(std::vector<uint32_t>& v) {
    if (v.size() < 64)
        std::sort(v.begin(), v.end());
    else if (v.size() < 65536)
        detail::radixSort<8>(v);
    else
        detail::radixSort<16>(v);
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

} // namespace kv::title
