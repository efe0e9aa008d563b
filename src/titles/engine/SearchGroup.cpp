#include "titles/engine/SearchGroup.h"

#include <algorithm>
#include <bit>

namespace kv::title {

void SearchGroup::clear() {
    m_kind = List;
    m_size = 0;
    m_list.clear();
    m_bits.clear();
    m_before.clear();
}

void SearchGroup::setAll(uint32_t wheelSize) {
    clear();
    m_kind = All;
    m_size = wheelSize;
}

void SearchGroup::setList(std::vector<uint32_t> positions) {
    clear();
    m_list = std::move(positions);
    m_size = uint32_t(m_list.size());
}

void SearchGroup::startBitmap(uint32_t wheelSize) {
    clear();
    m_kind = Bitmap;
    m_bits.assign((uint64_t(wheelSize) + 63) / 64, 0);
}

void SearchGroup::finish() {
    if (m_kind != Bitmap) return;
    m_before.resize((m_bits.size() + kBlockWords - 1) / kBlockWords);
    uint32_t n = 0;
    for (size_t w = 0; w < m_bits.size(); ++w) {
        if (w % kBlockWords == 0) m_before[w / kBlockWords] = n;
        n += uint32_t(std::popcount(m_bits[w]));
    }
    m_size = n;
}

namespace {

// Position of the k-th set bit (from 0) of a word that has more than k.
uint32_t selectInWord(uint64_t w, uint32_t k) {
    while (k-- > 0)
        w &= w - 1;
    return uint32_t(std::countr_zero(w));
}

} // namespace

uint32_t SearchGroup::at(uint32_t i) const {
    if (m_kind == All) return i;
    if (m_kind == List) return m_list[i];
    // The last block that begins at or before item i, then its words.
    const size_t b =
        size_t(std::upper_bound(m_before.begin(), m_before.end(), i) - m_before.begin()) - 1;
    uint32_t left = i - m_before[b];
    for (size_t w = b * kBlockWords;; ++w) {
        const auto here = uint32_t(std::popcount(m_bits[w]));
        if (left < here) return uint32_t(w * 64) + selectInWord(m_bits[w], left);
        left -= here;
    }
}

void SearchGroup::copy(uint32_t first, uint32_t count, int32_t* out) const {
    if (count == 0) return;
    if (m_kind == All) {
        for (uint32_t k = 0; k < count; ++k)
            out[k] = int32_t(first + k);
        return;
    }
    if (m_kind == List) {
        std::copy_n(m_list.begin() + first, count, out);
        return;
    }
    // Find the first item, then walk the set bits from there.
    const uint32_t start = at(first);
    size_t w = start / 64;
    uint64_t bits = m_bits[w] & (~uint64_t(0) << (start % 64));
    for (uint32_t k = 0; k < count;) {
        while (bits == 0)
            bits = m_bits[++w];
        out[k++] = int32_t(w * 64 + uint32_t(std::countr_zero(bits)));
        bits &= bits - 1;
    }
}

std::vector<uint32_t> SearchGroup::positions() const {
    std::vector<uint32_t> out(m_size);
    copy(0, m_size, reinterpret_cast<int32_t*>(out.data()));
    return out;
}

} // namespace kv::title
