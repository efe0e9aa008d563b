#pragma once

// The keywords a wildcard search found: distinct wheel positions in ascending order.
//
// A sparse group is a sorted list. A dense one (two letters typed into a wheel of ten million
// keywords match a million of them) is a bitmap over the wheel with a running count per block:
// it is built by marking, without sorting, and never takes more memory than the list would.

#include <cstdint>
#include <vector>

namespace kv::title {

class SearchGroup {
public:
    // Whether `matches` positions out of a wheel of `wheelSize` are better held as a bitmap.
    static bool denseFor(uint64_t matches, uint32_t wheelSize) {
        return matches >= 1024 && matches > wheelSize / 32;
    }

    void clear();
    // Every keyword of the wheel.
    void setAll(uint32_t wheelSize);
    // Positions ascending and distinct.
    void setList(std::vector<uint32_t> positions);
    // Starts an empty bitmap over the wheel; mark() positions, then finish().
    void startBitmap(uint32_t wheelSize);
    void mark(uint32_t position) { m_bits[position >> 6] |= uint64_t(1) << (position & 63); }
    void finish();

    uint32_t size() const { return m_size; }
    bool isAll() const { return m_kind == All; }
    bool isBitmap() const { return m_kind == Bitmap; }
    // Position of item `i` (i < size()).
    uint32_t at(uint32_t i) const;
    // Items first .. first + count − 1 (the caller clamps to size()).
    void copy(uint32_t first, uint32_t count, int32_t* out) const;
    std::vector<uint32_t> positions() const;

private:
    static constexpr uint32_t kBlockWords = 8; // 512 positions a block
    enum Kind { List, Bitmap, All };
    Kind m_kind = List;
    uint32_t m_size = 0;
    std::vector<uint32_t> m_list;
    std::vector<uint64_t> m_bits;
    std::vector<uint32_t> m_before; // items in the blocks before each block
};

} // namespace kv::title
