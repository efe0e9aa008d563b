#pragma once

// Layout constants of the compiled title format; docs/title-format.md is the reference.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace kv::title {

inline constexpr char kMagic[8] = {'K', 'V', 'T', 'I', 'T', 'L', 'E', 0x1A};
inline constexpr uint16_t kMajorVersion = 1;
inline constexpr uint16_t kMinorVersion = 1;
inline constexpr int kHeaderSize = 64;
inline constexpr int kDirEntrySize = 24;
inline constexpr uint32_t kMaxSections = 4096;
inline constexpr uint32_t kAsciiFold = 0xFFFFFFFFu;
inline constexpr int kSampleStep = 64;
inline constexpr int kMaxKeywordBytes = 65535;

constexpr uint32_t tag(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

inline constexpr uint32_t kTagTopicIndex = tag("TIDX");
inline constexpr uint32_t kTagTopicData = tag("TDAT");
inline constexpr uint32_t kTagContexts = tag("CTXS");
inline constexpr uint32_t kTagWheels = tag("WDIR");
inline constexpr uint32_t kTagBaggage = tag("BDIR");
inline constexpr uint32_t kTagKeyRecords = tag("KREC");
inline constexpr uint32_t kTagKeyText = tag("KTXT");
inline constexpr uint32_t kTagKeyFolded = tag("KFLD");
inline constexpr uint32_t kTagKeySamples = tag("KSMP");
inline constexpr uint32_t kTagPostStarts = tag("PSTA");
inline constexpr uint32_t kTagPostAddrs = tag("PADR");
inline constexpr uint32_t kTagWordKeys = tag("WSKW");
inline constexpr uint32_t kTagWordOffsets = tag("WSOF");
inline constexpr uint32_t kTagWordSamples = tag("WSMP");
inline constexpr uint32_t kTagKeyTopSamples = tag("KTOP");
inline constexpr uint32_t kTagGrams = tag("GRAM");
inline constexpr uint32_t kTagGramPostings = tag("GPST");
inline constexpr int kGramEntrySize = 16;

enum class BlockStyle : uint8_t { Paragraph = 0, Heading = 1, Section = 2, Row = 3, HeaderRow = 4 };
enum class SpanKind : uint8_t { Text = 0, Link = 1, Hotspot = 2, Cell = 3 };

// Unaligned little-endian reads; callers have checked the range.
inline uint16_t rd16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t rd32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t rd64(const uint8_t* p) {
    return uint64_t(rd32(p)) | uint64_t(rd32(p + 4)) << 32;
}

// The first eight bytes of a text as a big-endian number, zero padded, so that comparing
// two keys compares the texts' first eight bytes in order.
inline uint64_t key8(std::string_view s) {
    uint64_t k = 0;
    for (size_t i = 0; i < 8; ++i)
        k = (k << 8) | (i < s.size() ? uint8_t(s[i]) : 0);
    return k;
}

// The three bytes of folded text from byte `i` as a number, zero padded past the end; the
// key of the gram index.
inline uint32_t gram3(std::string_view s, size_t i) {
    uint32_t g = 0;
    for (size_t k = i; k < i + 3; ++k)
        g = (g << 8) | (k < s.size() ? uint8_t(s[k]) : 0);
    return g;
}

// A bounded reader over a byte range: every read is checked, and a failed read leaves the
// reader in the failed state for good.
class Cursor {
public:
    Cursor(const uint8_t* begin, const uint8_t* end) : m_p(begin), m_end(end) {}
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_p >= m_end; }
    size_t remaining() const { return m_ok ? size_t(m_end - m_p) : 0; }
    const uint8_t* position() const { return m_p; }

    uint8_t u8() {
        if (!m_ok || m_p >= m_end) return fail();
        return *m_p++;
    }
    uint32_t varint() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (!m_ok || m_p >= m_end) return fail();
            const uint8_t b = *m_p++;
            if (shift == 28 && (b & 0x70)) return fail();
            v |= uint32_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        return fail();
    }
    std::string_view str() {
        const uint32_t n = varint();
        if (!m_ok || n > size_t(m_end - m_p)) {
            fail();
            return {};
        }
        std::string_view s(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return s;
    }
    std::string_view rest() {
        if (!m_ok) return {};
        std::string_view s(reinterpret_cast<const char*>(m_p), size_t(m_end - m_p));
        m_p = m_end;
        return s;
    }

private:
    uint8_t fail() {
        m_ok = false;
        return 0;
    }
    const uint8_t* m_p;
    const uint8_t* m_end;
    bool m_ok = true;
};

} // namespace kv::title
