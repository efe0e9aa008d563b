#include "titles/engine/KeywordIndex.h"

#include "titles/engine/RadixSort.h"
#include "titles/engine/TitleFormat.h"

#include <algorithm>
#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <sys/mman.h>
#include <unistd.h>

namespace kv::title {

namespace {

uint64_t sampleCount(uint64_t n) {
    return (n + kSampleStep - 1) / kSampleStep;
}

// First index in [lo, hi) of an array of u64 whose value is not below the key (`strict`:
// above the key).
uint64_t bound64(const uint8_t* a, uint64_t lo, uint64_t hi, uint64_t key, bool strict) {
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        const uint64_t v = rd64(a + 8 * mid);
        if (v < key || (strict && v == key))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// bound64 over the `s` samples, narrowed first by the top samples (top sample j is sample
// 64·j) when the title has them: the search then touches one small array and one 512-byte
// run of samples, whatever the size of the wheel.
uint64_t sampleBound(const uint8_t* samples, uint64_t s, const uint8_t* top, uint64_t key,
                     bool strict) {
    uint64_t lo = 0, hi = s;
    if (top) {
        const uint64_t t = sampleCount(s);
        const uint64_t j = bound64(top, 0, t, key, strict);
        hi = j >= t ? s : std::min<uint64_t>(s, j * kSampleStep);
        lo = std::min(hi, j == 0 ? 0 : (j - 1) * kSampleStep + 1);
    }
    return bound64(samples, lo, hi, key, strict);
}

// First index in [0, count) whose element is not below the key, narrowed first by the
// sampled eight-byte keys (sample k describes element k·64) and then by full comparisons.
// `cmpAt(i)` compares element i with the key (<0 below, 0 equal, >0 above).
template <typename Cmp>
uint64_t sampledLowerBound(uint64_t count, const uint8_t* samples, const uint8_t* top, uint64_t key,
                           Cmp cmpAt) {
    const uint64_t s = sampleCount(count);
    const uint64_t first = sampleBound(samples, s, top, key, false); // first sample >= key
    const uint64_t above = sampleBound(samples, s, top, key, true);  // first sample > key
    uint64_t begin = first == 0 ? 0 : (first - 1) * kSampleStep + 1;
    uint64_t end = above >= s ? count : std::min<uint64_t>(count, above * kSampleStep);
    begin = std::min(begin, end);
    while (begin < end) {
        const uint64_t mid = begin + (end - begin) / 2;
        if (cmpAt(mid) < 0)
            begin = mid + 1;
        else
            end = mid;
    }
    return begin;
}

// Lower-cases ASCII text eight bytes at a time: every wildcard candidate passes through here.
void asciiLower(char* s, size_t n) {
    constexpr uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x;
        std::memcpy(&x, s + i, 8);
        const uint64_t low7 = x & ~high;
        const uint64_t atLeastA = low7 + ones * (0x80 - 'A');
        const uint64_t aboveZ = low7 + ones * (0x80 - 'Z' - 1);
        const uint64_t upper = atLeastA & ~aboveZ & ~x & high;
        x |= upper >> 2;
        std::memcpy(s + i, &x, 8);
    }
    for (; i < n; ++i)
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = char(s[i] + 32);
}

void willNeed(const uint8_t* p, uint64_t size) {
    const auto page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t from = reinterpret_cast<uintptr_t>(p) & ~(page - 1);
    madvise(reinterpret_cast<void*>(from), reinterpret_cast<uintptr_t>(p) + size - from,
            MADV_WILLNEED);
}

} // namespace

const char* KeywordIndex::attach(const Sections& s, bool mapped) {
    if (!s.records.p || !s.text.p || !s.folded.p || !s.samples.p || !s.postStarts.p ||
        !s.postAddrs.p || !s.wordKeys.p || !s.wordOffsets.p || !s.wordSamples.p)
        return "is incomplete";
    const char* const damaged = "is damaged";
    if (s.records.size < 8 || s.records.size % 8 != 0 || s.records.size / 8 - 1 > 0x7FFFFFFFu)
        return damaged;
    const uint64_t n = s.records.size / 8 - 1;
    const uint64_t m = s.wordKeys.size / 4;
    if (s.samples.size != 8 * sampleCount(n) || s.postStarts.size != 4 * (n + 1) ||
        s.postAddrs.size % 4 != 0 || s.wordKeys.size % 4 != 0 || s.wordOffsets.size != 2 * m ||
        s.wordSamples.size != 8 * sampleCount(m))
        return damaged;
    if (s.topSamples.p && s.topSamples.size != 8 * sampleCount(sampleCount(n))) return damaged;
    // Titles of format 1.0 have neither gram section; one without the other is damage.
    if (bool(s.grams.p) != bool(s.gramPostings.p) ||
        (s.grams.p &&
         (s.grams.size < uint64_t(kGramEntrySize) || s.grams.size % kGramEntrySize != 0)))
        return damaged;

    m_count = uint32_t(n);
    m_mapped = mapped;
    m_records = s.records.p;
    m_text = s.text.p;
    m_textSize = s.text.size;
    m_folded = s.folded.p;
    m_foldedSize = s.folded.size;
    m_samples = s.samples.p;
    m_postStarts = s.postStarts.p;
    m_postAddrs = s.postAddrs.p;
    m_postCount = s.postAddrs.size / 4;
    m_wordKeys = s.wordKeys.p;
    m_wordOffsets = s.wordOffsets.p;
    m_wordSamples = s.wordSamples.p;
    m_wordCount = m;
    m_wordTop = std::make_unique<LazyTop>();
    if (s.topSamples.p) {
        m_topSamples = s.topSamples.p;
        // Every look-up starts with a binary search here: one read of the whole array now,
        // rather than a wait on the disk for each step of the first look-up.
        if (mapped) willNeed(s.topSamples.p, s.topSamples.size);
    }
    if (s.grams.p) {
        m_grams = s.grams.p;
        m_gramCount = s.grams.size / kGramEntrySize - 1;
        m_gramPostings = s.gramPostings.p;
        m_gramPostingsSize = s.gramPostings.size;
    }
    return nullptr;
}

bool KeywordIndex::display(uint32_t position, std::string_view& out) const {
    if (position >= m_count) return false;
    const uint32_t a = rd32(m_records + 8 * uint64_t(position));
    const uint32_t b = rd32(m_records + 8 * (uint64_t(position) + 1));
    if (a > b || b > m_textSize || b - a > uint32_t(kMaxKeywordBytes)) return false;
    out = std::string_view(reinterpret_cast<const char*>(m_text) + a, b - a);
    return true;
}

bool KeywordIndex::foldedRef(uint32_t position, FoldedRef& out) const {
    if (position >= m_count) return false;
    const uint32_t ref = rd32(m_records + 8 * uint64_t(position) + 4);
    if (ref == kAsciiFold) {
        out.asciiLower = true;
        return display(position, out.bytes);
    }
    if (ref >= m_foldedSize) return false;
    Cursor c(m_folded + ref, m_folded + m_foldedSize);
    out.bytes = c.str();
    out.asciiLower = false;
    return c.ok() && out.bytes.size() <= size_t(kMaxKeywordBytes);
}

bool KeywordIndex::folded(uint32_t position, std::string_view& out, std::string& scratch) const {
    FoldedRef f;
    if (!foldedRef(position, f)) return false;
    if (!f.asciiLower) {
        out = f.bytes;
        return true;
    }
    scratch.assign(f.bytes);
    asciiLower(scratch.data(), scratch.size());
    out = scratch;
    return true;
}

int KeywordIndex::compare(const FoldedRef& f, size_t from, std::string_view text, bool prefix) {
    const std::string_view s = from <= f.bytes.size() ? f.bytes.substr(from) : std::string_view();
    const size_t n = std::min(s.size(), text.size());
    for (size_t i = 0; i < n; ++i) {
        uint8_t a = uint8_t(s[i]);
        if (f.asciiLower && a >= 'A' && a <= 'Z') a = uint8_t(a + 32);
        const uint8_t b = uint8_t(text[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (s.size() == text.size()) return 0;
    if (s.size() < text.size()) return -1;
    return prefix ? 0 : 1;
}

uint32_t KeywordIndex::lowerBound(std::string_view text) const {
    return uint32_t(
        sampledLowerBound(m_count, m_samples, m_topSamples, key8(text), [&](uint64_t i) {
            FoldedRef f;
            if (!foldedRef(uint32_t(i), f)) return 1;
            return compare(f, 0, text, false);
        }));
}

int64_t KeywordIndex::find(std::string_view displayText) const {
    const std::string text = foldUtf8(displayText);
    for (uint32_t i = lowerBound(text); i < m_count; ++i) {
        FoldedRef f;
        if (!foldedRef(i, f) || compare(f, 0, text, false) != 0) break;
        std::string_view d;
        if (display(i, d) && d == displayText) return i;
    }
    return -1;
}

bool KeywordIndex::topics(uint32_t position, const uint8_t*& first, uint32_t& count) const {
    if (position >= m_count) return false;
    const uint32_t a = rd32(m_postStarts + 4 * uint64_t(position));
    const uint32_t b = rd32(m_postStarts + 4 * (uint64_t(position) + 1));
    if (a > b || b > m_postCount) return false;
    first = m_postAddrs + 4 * uint64_t(a);
    count = b - a;
    return true;
}

bool KeywordIndex::wordEntry(uint64_t i, uint32_t& position, uint32_t& offset) const {
    if (i >= m_wordCount) return false;
    position = rd32(m_wordKeys + 4 * i);
    offset = rd16(m_wordOffsets + 2 * i);
    return position < m_count;
}

int64_t KeywordIndex::wordLowerBound(std::string_view text) const {
    return int64_t(sampledLowerBound(m_wordCount, m_wordSamples, wordTopSamples(), key8(text),
                                     [&](uint64_t i) {
                                         uint32_t pos, off;
                                         FoldedRef f;
                                         if (!wordEntry(i, pos, off) || !foldedRef(pos, f))
                                             return 1;
                                         return compare(f, off, text, false);
                                     }));
}

int64_t KeywordIndex::wordUpperBound(std::string_view text) const {
    // Galloping from the lower bound: the cost grows with the log of the matches, not of
    // the wheel.
    auto above = [&](uint64_t i) {
        uint32_t pos, off;
        FoldedRef f;
        if (!wordEntry(i, pos, off) || !foldedRef(pos, f)) return true;
        return compare(f, off, text, true) > 0;
    };
    uint64_t lo = uint64_t(wordLowerBound(text));
    uint64_t step = 1, hi = lo;
    while (hi < m_wordCount && !above(hi)) {
        lo = hi + 1;
        hi = std::min<uint64_t>(m_wordCount, hi + step);
        step *= 2;
    }
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (above(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return int64_t(lo);
}

void KeywordIndex::search(const Pattern& pattern, std::vector<uint32_t>& positions,
                          bool& all) const {
    SearchGroup group;
    search(pattern, group);
    all = group.isAll();
    positions = all ? std::vector<uint32_t>() : group.positions();
}

void KeywordIndex::search(const Pattern& pattern, SearchGroup& group) const {
    group.clear();
    if (pattern.onlyStars()) {
        group.setAll(m_count);
        return;
    }
    const std::vector<Pattern::Token>& tokens = pattern.tokens;
    const std::string_view literal = pattern.leadingLiteral();
    if (!literal.empty()) {
        const WordRange range{uint64_t(wordLowerBound(literal)), uint64_t(wordUpperBound(literal))};
        collectWordEntries(pattern, pattern.isPrefixOnly(), {range}, group);
        return;
    }
    const GramPlan plan = planGrams(pattern);

    // "?text*": the text follows the first character of a word start, so the word-start index
    // answers it, one range for each character words begin with. Used unless the pattern's
    // rarest gram leaves only a few candidates to verify.
    constexpr uint32_t kFewCandidates = 8192;
    if (tokens.size() >= 2 && tokens[0].kind == Pattern::Any &&
        tokens[1].kind == Pattern::Literal &&
        (plan.grams.empty() || plan.grams.front().first > kFewCandidates)) {
        const bool exact = tokens.size() == 3 && tokens[2].kind == Pattern::Star;
        collectWordEntries(pattern, exact, afterFirstCharacter(tokens[1].text), group);
        return;
    }

    std::vector<uint32_t> positions;
    if (!plan.grams.empty() || !plan.shortest.empty()) {
        std::vector<uint32_t> candidates = gramCandidates(plan);
        // "*abc*" with a run of at most three bytes: the lists hold exactly the keywords that
        // contain it (grams are taken at every byte, padded with zero bytes at the end).
        const std::string_view run = tokens.size() == 3 ? std::string_view(tokens[1].text) : "";
        const bool exact = tokens.size() == 3 && tokens[0].kind == Pattern::Star &&
                           tokens[1].kind == Pattern::Literal && tokens[2].kind == Pattern::Star &&
                           run.size() <= 3 && run.find('\0') == std::string_view::npos;
        if (exact)
            positions.swap(candidates);
        else
            keepMatching(pattern, candidates, positions);
        setAscending(group, std::move(positions));
        return;
    }
    // Only wildcards, or a title without a gram index: one pass over the folded keywords.
    std::string scratch;
    for (uint32_t i = 0; i < m_count; ++i)
        if (matchesAnywhere(pattern, i, scratch)) positions.push_back(i);
    setAscending(group, std::move(positions));
}

KeywordIndex::GramPlan KeywordIndex::planGrams(const Pattern& pattern) const {
    // Every keyword that matches holds each literal run of the pattern, so the keywords under
    // all three-byte grams of the runs are the candidates. Runs of one or two bytes take every
    // gram that begins with them.
    GramPlan plan;
    if (!m_grams) return plan;
    for (const Pattern::Token& t : pattern.tokens) {
        if (t.kind != Pattern::Literal || t.text.empty()) continue;
        if (t.text.size() < 3) {
            if (t.text.size() > plan.shortest.size()) plan.shortest = t.text;
            continue;
        }
        for (size_t i = 0; i + 3 <= t.text.size(); ++i) {
            const uint32_t g = gram3(t.text, i);
            plan.grams.emplace_back(gramCount(g), g);
        }
    }
    std::sort(plan.grams.begin(), plan.grams.end());
    plan.grams.erase(std::unique(plan.grams.begin(), plan.grams.end()), plan.grams.end());
    return plan;
}

std::vector<uint32_t> KeywordIndex::gramCandidates(const GramPlan& plan) const {
    std::vector<uint32_t> candidates;
    uint64_t first = 0, last = 0;
    if (plan.grams.empty()) {
        const uint32_t g = gram3(plan.shortest, 0);
        const uint32_t span = plan.shortest.size() == 1 ? 0xFFFF : 0xFF;
        gramRange(g, g | span, first, last);
        for (uint64_t e = first; e < last; ++e)
            gramPostings(e, candidates);
        sortUnique(candidates);
        return candidates;
    }
    // The rarest list first, then intersected with the next rarest while a list costs less
    // to read than the candidates it may remove cost to verify.
    const auto& grams = plan.grams;
    gramRange(grams[0].second, grams[0].second, first, last);
    for (uint64_t e = first; e < last; ++e)
        gramPostings(e, candidates);
    for (size_t g = 1; g < grams.size() && candidates.size() > 8; ++g) {
        if (grams[g].first > 16 * candidates.size()) break;
        gramRange(grams[g].second, grams[g].second, first, last);
        intersectPostings(first, last, candidates);
    }
    return candidates;
}

std::vector<KeywordIndex::WordRange>
KeywordIndex::afterFirstCharacter(std::string_view text) const {
    std::vector<WordRange> ranges;
    std::string first, probe;
    // Each step passes one character that words begin with; an index that is out of order
    // cannot make it take longer than there are characters.
    uint32_t steps = 0;
    for (uint64_t i = 0; i < m_wordCount && ++steps <= kMaxCodePoints;) {
        uint32_t pos, off;
        FoldedRef f;
        if (!wordEntry(i, pos, off) || !foldedRef(pos, f) || off >= f.bytes.size()) {
            ++i; // an empty keyword, or a damaged entry
            continue;
        }
        const std::string_view rest = f.bytes.substr(off);
        const auto lead = uint8_t(rest[0]);
        const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        first.assign(rest.substr(0, n));
        if (f.asciiLower) asciiLower(first.data(), first.size());
        probe = first;
        probe += text;
        const WordRange r{uint64_t(wordLowerBound(probe)), uint64_t(wordUpperBound(probe))};
        if (r.begin < r.end) ranges.push_back(r);
        // On to the next character words begin with (always forward, even in a damaged index).
        i = std::max(i + 1, uint64_t(wordUpperBound(first)));
    }
    return ranges;
}

void KeywordIndex::collectWordEntries(const Pattern& pattern, bool exact,
                                      const std::vector<WordRange>& ranges,
                                      SearchGroup& group) const {
    uint64_t total = 0;
    for (const WordRange& r : ranges)
        total += r.end - r.begin;
    std::string scratch;
    auto accept = [&](uint64_t i, uint32_t& pos) {
        uint32_t off;
        if (!wordEntry(i, pos, off)) return false;
        if (exact) return true;
        std::string_view f;
        return folded(pos, f, scratch) && off <= f.size() && pattern.matches(f.substr(off));
    };
    for (const WordRange& r : ranges)
        if (r.begin < r.end && r.end <= m_wordCount)
            readAhead(m_wordKeys + 4 * r.begin, 4 * (r.end - r.begin));
    uint32_t pos;
    if (SearchGroup::denseFor(total, m_count)) {
        // The entries come in text order; marking them avoids sorting millions.
        group.startBitmap(m_count);
        for (const WordRange& r : ranges) {
            const uint64_t end = std::min(r.end, m_wordCount);
            if (exact) {
                // Two letters typed into a large wheel: millions of entries, read as one
                // sweep over the entries' keyword numbers.
                for (uint64_t i = r.begin; i < end; ++i)
                    if (const uint32_t p = rd32(m_wordKeys + 4 * i); p < m_count) group.mark(p);
                continue;
            }
            for (uint64_t i = r.begin; i < end; ++i)
                if (accept(i, pos)) group.mark(pos);
        }
        group.finish();
        return;
    }
    std::vector<uint32_t> positions;
    positions.reserve(size_t(total));
    for (const WordRange& r : ranges)
        for (uint64_t i = r.begin; i < r.end; ++i)
            if (accept(i, pos)) positions.push_back(pos);
    sortUnique(positions);
    group.setList(std::move(positions));
}

void KeywordIndex::setAscending(SearchGroup& group, std::vector<uint32_t> positions) const {
    if (!SearchGroup::denseFor(positions.size(), m_count)) {
        group.setList(std::move(positions));
        return;
    }
    group.startBitmap(m_count);
    for (uint32_t p : positions)
        group.mark(p);
    group.finish();
}

const uint8_t* KeywordIndex::wordTopSamples() const {
    // The word-start samples have no top level in the file; a search over them would read
    // a few megabytes of samples at random in a large wheel. Every 64th sample, gathered
    // on the first search, keeps each later search to one small array and one run of 64.
    if (!m_wordTop) return nullptr;
    std::call_once(m_wordTop->once, [this] {
        const uint64_t samples = sampleCount(m_wordCount);
        std::vector<uint8_t>& top = m_wordTop->bytes;
        top.resize(8 * sampleCount(samples));
        for (uint64_t j = 0; j * kSampleStep < samples; ++j)
            std::memcpy(top.data() + 8 * j, m_wordSamples + 8 * j * kSampleStep, 8);
    });
    return m_wordTop->bytes.data();
}

void KeywordIndex::readAhead(const uint8_t* p, uint64_t size) const {
    // The title is mapped for scattered reads; a long run read in order is asked for in one
    // piece instead of a page at a time.
    if (m_mapped && size >= kReadAheadFrom) willNeed(p, size);
}

void KeywordIndex::prefetchText(uint32_t position) const {
    if (position >= m_count) return;
    const uint8_t* record = m_records + 8 * uint64_t(position);
    const uint32_t ref = rd32(record + 4);
    if (ref == kAsciiFold) {
        const uint32_t a = rd32(record);
        if (a < m_textSize) __builtin_prefetch(m_text + a);
    } else if (ref < m_foldedSize) {
        __builtin_prefetch(m_folded + ref);
    }
}

void KeywordIndex::keepMatching(const Pattern& pattern, const std::vector<uint32_t>& candidates,
                                std::vector<uint32_t>& out) const {
    // Candidates are scattered over a wheel far larger than the caches: each costs a record
    // and a text from memory. The record is asked for sixteen candidates ahead and the text
    // (which needs the record) eight ahead, so those reads overlap the matching instead of
    // waiting one after another.
    constexpr size_t kAhead = 8;
    const std::vector<Pattern::Token>& t = pattern.tokens;
    // "*text*" only asks whether the keyword holds the text, which needs no copy.
    const bool containsOnly = t.size() == 3 && t[0].kind == Pattern::Star &&
                              t[1].kind == Pattern::Literal && t[2].kind == Pattern::Star;
    std::string scratch;
    const size_t n = candidates.size();
    for (size_t j = 0; j < n; ++j) {
        if (j + 2 * kAhead < n && candidates[j + 2 * kAhead] < m_count)
            __builtin_prefetch(m_records + 8 * uint64_t(candidates[j + 2 * kAhead]));
        if (j + kAhead < n) prefetchText(candidates[j + kAhead]);
        const bool hit = containsOnly ? holds(candidates[j], t[1].text)
                                      : matchesAnywhere(pattern, candidates[j], scratch);
        if (hit) out.push_back(candidates[j]);
    }
}

bool KeywordIndex::holds(uint32_t position, std::string_view text) const {
    FoldedRef f;
    if (!foldedRef(position, f) || text.empty()) return false;
    if (!f.asciiLower) return f.bytes.find(text) != std::string_view::npos;
    // ASCII text folded on the fly: the first byte is looked for eight at a time (upper case
    // letters are lower-cased by setting bit 5, which maps nothing else onto a lower-case
    // letter), and each hit compared in full.
    const std::string_view s = f.bytes;
    const size_t n = s.size(), m = text.size();
    if (m > n) return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    auto at = [&](size_t i) {
        for (size_t k = 0; k < m; ++k)
            if (lower(s[i + k]) != text[k]) return false;
        return true;
    };
    const auto first = uint8_t(text[0]);
    const bool letter = first >= 'a' && first <= 'z';
    const size_t last = n - m; // the last place the text can start
    size_t i = 0;
#ifdef __SSE2__
    const __m128i want16 = _mm_set1_epi8(char(first));
    const __m128i bit5x16 = _mm_set1_epi8(letter ? 0x20 : 0);
    for (; i + 16 <= last + 1 && i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        auto hits = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(x, bit5x16), want16)));
        for (; hits; hits &= hits - 1)
            if (at(i + size_t(std::countr_zero(hits)))) return true;
    }
#endif
    constexpr uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    const uint64_t want = ones * first;
    const uint64_t bit5 = letter ? ones * 0x20 : 0;
    for (; i + 8 <= last + 1 && i + 8 <= n; i += 8) {
        uint64_t x;
        std::memcpy(&x, s.data() + i, 8);
        const uint64_t y = (x | bit5) ^ want;
        for (uint64_t hit = (y - ones) & ~y & high; hit; hit &= hit - 1) {
            const size_t j = i + size_t(std::countr_zero(hit)) / 8;
            if (j <= last && at(j)) return true;
        }
    }
    for (; i <= last; ++i)
        if (at(i)) return true;
    return false;
}

bool KeywordIndex::matchesAnywhere(const Pattern& pattern, uint32_t position,
                                   std::string& scratch) const {
    std::string_view f;
    if (!folded(position, f, scratch)) return false;
    if (pattern.matches(f)) return true;
    // A leading star already lets the whole text match from anywhere.
    if (!pattern.tokens.empty() && pattern.tokens.front().kind == Pattern::Star) return false;
    for (uint32_t s = nextWordStart(f, 0); s < f.size(); s = nextWordStart(f, s))
        if (pattern.matches(f.substr(s))) return true;
    return false;
}

void KeywordIndex::gramRange(uint32_t lo, uint32_t hi, uint64_t& first, uint64_t& last) const {
    auto lowerBound = [&](uint64_t g) {
        uint64_t a = 0, b = m_gramCount;
        while (a < b) {
            const uint64_t mid = a + (b - a) / 2;
            if (rd32(m_grams + kGramEntrySize * mid) < g)
                a = mid + 1;
            else
                b = mid;
        }
        return a;
    };
    first = lowerBound(lo);
    last = std::max(first, lowerBound(uint64_t(hi) + 1));
}

uint32_t KeywordIndex::gramCount(uint32_t gram) const {
    uint64_t first, last;
    gramRange(gram, gram, first, last);
    return first < last ? rd32(m_grams + kGramEntrySize * first + 4) : 0;
}

template <typename Sink> bool KeywordIndex::decodePostings(uint64_t e, Sink&& sink) const {
    if (e >= m_gramCount) return false;
    const uint8_t* entry = m_grams + kGramEntrySize * e;
    const uint32_t count = rd32(entry + 4);
    const uint64_t a = rd64(entry + 8), b = rd64(entry + kGramEntrySize + 8);
    if (a > b || b > m_gramPostingsSize || count > m_count || count > b - a) return false;
    readAhead(m_gramPostings + a, b - a);
    // Lists run to millions of entries: deltas of one byte take a short path.
    const uint8_t* p = m_gramPostings + a;
    const uint8_t* const end = m_gramPostings + b;
    uint64_t pos = 0;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t v;
        if (p < end && *p < 0x80) {
            v = *p++;
        } else {
            Cursor c(p, end);
            v = c.varint();
            if (!c.ok()) return false;
            p = c.position();
        }
        if (k > 0 && v == 0) return false;
        pos += v;
        if (pos >= m_count) return false;
        if (!sink(uint32_t(pos))) return true; // the sink needs no more
    }
    return true;
}

bool KeywordIndex::gramPostings(uint64_t e, std::vector<uint32_t>& out) const {
    // A damaged list adds nothing at all.
    const size_t kept = out.size();
    const bool ok = decodePostings(e, [&](uint32_t p) {
        out.push_back(p);
        return true;
    });
    if (!ok) out.resize(kept);
    return ok;
}

void KeywordIndex::intersectPostings(uint64_t first, uint64_t last,
                                     std::vector<uint32_t>& candidates) const {
    // Merged while decoding: the longer list is never stored.
    std::vector<uint32_t> both;
    for (uint64_t e = first; e < last; ++e) {
        size_t j = 0;
        const size_t kept = both.size();
        const bool ok = decodePostings(e, [&](uint32_t p) {
            while (j < candidates.size() && candidates[j] < p)
                ++j;
            if (j < candidates.size() && candidates[j] == p) both.push_back(p);
            return j < candidates.size();
        });
        if (!ok) both.resize(kept);
    }
    if (last - first > 1) sortUnique(both);
    candidates.swap(both);
}

} // namespace kv::title
