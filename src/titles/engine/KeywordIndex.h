#pragma once

// One physical word wheel of a title: keywords in folded order, the topics filed under
// each, the word-start index and the gram index (docs/title-format.md). Every read checks
// its offsets and lengths against the sections it was attached to.

#include "titles/engine/Fold.h"
#include "titles/engine/SearchGroup.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kv::title {

// One physical word wheel: keywords in folded order, their topics and the word-start index.
class KeywordIndex {
public:
    // The bytes of one section of the title (null when the title has no such section).
    struct Span {
        const uint8_t* p = nullptr;
        uint64_t size = 0;
    };
    // The sections of one physical wheel, as the title's directory lists them.
    struct Sections {
        Span records, text, folded, samples, topSamples, postStarts, postAddrs, wordKeys,
            wordOffsets, wordSamples, grams, gramPostings;
    };
    // Takes the sections after checking their sizes against each other: nullptr, or what
    // is wrong ("is incomplete", "is damaged"). `mapped`: the bytes are a file's memory map,
    // and long runs read in order are asked for ahead.
    const char* attach(const Sections& s, bool mapped);
    bool attached() const { return m_records != nullptr; }

    uint32_t size() const { return m_count; }
    // Whether patterns that begin with a wildcard are answered from an index (format 1.1).
    bool hasGramIndex() const { return m_grams != nullptr; }

    bool display(uint32_t position, std::string_view& out) const;
    // The folded form; `scratch` holds it when it has to be computed.
    bool folded(uint32_t position, std::string_view& out, std::string& scratch) const;

    // Number of keywords whose folded form is below `folded` (the prefix position).
    uint32_t lowerBound(std::string_view folded) const;
    // Position of the keyword with exactly this display text, or -1.
    int64_t find(std::string_view display) const;
    // The topic addresses filed under the keyword at `position` (false when damaged).
    bool topics(uint32_t position, const uint8_t*& first, uint32_t& count) const;

    // The keywords matching the pattern.
    void search(const Pattern& pattern, SearchGroup& group) const;
    // The same as a list: wheel positions ascending and distinct; `all` is set instead when
    // the pattern matches every keyword.
    void search(const Pattern& pattern, std::vector<uint32_t>& positions, bool& all) const;

private:
    struct FoldedRef {
        std::string_view bytes;
        bool asciiLower = false;
    };
    bool foldedRef(uint32_t position, FoldedRef& out) const;
    // Compares the folded text (from byte `from`) with `text`; with `prefix` a folded text
    // that starts with `text` compares equal.
    static int compare(const FoldedRef& f, size_t from, std::string_view text, bool prefix);
    int64_t wordLowerBound(std::string_view text) const;
    int64_t wordUpperBound(std::string_view text) const;
    bool wordEntry(uint64_t i, uint32_t& position, uint32_t& offset) const;
    // Gram-table entries [first, last) whose gram lies in [lo, hi].
    void gramRange(uint32_t lo, uint32_t hi, uint64_t& first, uint64_t& last) const;
    // Appends the keywords of gram entry `e`; false (and nothing appended) when the list is
    // damaged.
    bool gramPostings(uint64_t e, std::vector<uint32_t>& out) const;
    // Keeps the candidates (ascending) that the lists of entries [first, last) hold.
    void intersectPostings(uint64_t first, uint64_t last, std::vector<uint32_t>& candidates) const;
    // Hands each keyword of gram entry `e` to `sink` (which returns false to stop); false
    // when the list is damaged.
    template <typename Sink> bool decodePostings(uint64_t e, Sink&& sink) const;
    uint32_t gramCount(uint32_t gram) const;
    // The grams of a pattern's literal runs of three bytes or more, rarest first, as
    // (count, gram); the longest shorter run when there is none.
    struct GramPlan {
        std::vector<std::pair<uint32_t, uint32_t>> grams;
        std::string_view shortest;
    };
    GramPlan planGrams(const Pattern& pattern) const;
    // The keywords that may match (ascending): the plan's lists, intersected.
    std::vector<uint32_t> gramCandidates(const GramPlan& plan) const;
    bool matchesAnywhere(const Pattern& pattern, uint32_t position, std::string& scratch) const;
    // The candidates (ascending) that match, appended to `out`.
    void keepMatching(const Pattern& pattern, const std::vector<uint32_t>& candidates,
                      std::vector<uint32_t>& out) const;
    void prefetchText(uint32_t position) const;
    static constexpr uint64_t kReadAheadFrom = 256 * 1024;
    void readAhead(const uint8_t* p, uint64_t size) const;
    // Whether the folded keyword contains the (folded, non-empty) text.
    bool holds(uint32_t position, std::string_view text) const;
    void setAscending(SearchGroup& group, std::vector<uint32_t> positions) const;
    const uint8_t* wordTopSamples() const;
    struct LazyTop {
        std::once_flag once;
        std::vector<uint8_t> bytes;
    };
    static constexpr uint32_t kMaxCodePoints = 0x110000;
    struct WordRange {
        uint64_t begin, end;
    };
    // The word-start entries whose text is a character followed by `text`.
    std::vector<WordRange> afterFirstCharacter(std::string_view text) const;
    // The keywords of the word-start entries in `ranges` whose text from the word start
    // matches the pattern (all of them when `exact`).
    void collectWordEntries(const Pattern& pattern, bool exact,
                            const std::vector<WordRange>& ranges, SearchGroup& group) const;

    uint32_t m_count = 0;
    bool m_mapped = false;
    const uint8_t* m_records = nullptr;
    const uint8_t* m_text = nullptr;
    uint64_t m_textSize = 0;
    const uint8_t* m_folded = nullptr;
    uint64_t m_foldedSize = 0;
    const uint8_t* m_samples = nullptr;
    const uint8_t* m_topSamples = nullptr; // absent in titles of format 1.0
    const uint8_t* m_postStarts = nullptr;
    const uint8_t* m_postAddrs = nullptr;
    uint64_t m_postCount = 0;
    const uint8_t* m_wordKeys = nullptr;
    const uint8_t* m_wordOffsets = nullptr;
    const uint8_t* m_wordSamples = nullptr;
    std::unique_ptr<LazyTop> m_wordTop; // built on the first word-start search
    uint64_t m_wordCount = 0;
    const uint8_t* m_grams = nullptr; // absent in titles of format 1.0
    uint64_t m_gramCount = 0;
    const uint8_t* m_gramPostings = nullptr;
    uint64_t m_gramPostingsSize = 0;
};

} // namespace kv::title
