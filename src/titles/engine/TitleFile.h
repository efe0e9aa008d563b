#pragma once

// A compiled title, mapped read-only. Opening checks the header and the section directory;
// every other read checks its own offsets and lengths, so a damaged or hostile file yields
// failures, never a crash, a hang or a huge allocation.

#include "titles/engine/Fold.h"
#include "titles/engine/SearchGroup.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QFile;

namespace kv::title {

struct TopicRecord {
    char kind = 0;
    std::string_view contextString;
    std::string_view title;
    std::string_view identification;
    std::string_view page;
};

// One physical word wheel: keywords in folded order, their topics and the word-start index.
class KeywordIndex {
public:
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
    friend class TitleFile;
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

struct WheelInfo {
    uint32_t code = 0;
    uint32_t physical = 0;
    std::string_view name;
};

class TitleFile {
public:
    ~TitleFile();
    static std::shared_ptr<const TitleFile> open(const QString& path, QString* error = nullptr);
    // For tests and fuzzing: a title held in memory.
    static std::shared_ptr<const TitleFile> fromBytes(QByteArray bytes, QString* error = nullptr);

    QString path() const { return m_path; }
    uint64_t fileSize() const { return m_size; }
    uint16_t minorVersion() const { return m_minor; }
    uint32_t topicCount() const { return m_topicCount; }
    uint32_t contentsAddress() const { return m_contents; }

    const std::vector<WheelInfo>& wheels() const { return m_wheels; }
    const WheelInfo* wheel(uint32_t code) const;
    const KeywordIndex* keywords(uint32_t physical) const;

    bool topic(uint32_t address, TopicRecord& out) const;
    int64_t topicByContext(std::string_view context) const;

    struct Baggage {
        std::string_view name;
        std::string_view data;
    };
    const std::vector<Baggage>& baggage() const { return m_baggage; }
    std::optional<std::string_view> baggage(std::string_view name) const;

private:
    TitleFile() = default;
    bool load(QString* error);
    bool topicHead(uint32_t address, std::string_view& context) const;

    QString m_path;
    std::unique_ptr<QFile> m_file;
    QByteArray m_bytes;
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
    uint16_t m_minor = 0;
    uint32_t m_topicCount = 0;
    uint32_t m_contents = 0;
    const uint8_t* m_topicIndex = nullptr;
    const uint8_t* m_topicData = nullptr;
    uint64_t m_topicDataSize = 0;
    const uint8_t* m_contexts = nullptr;
    uint64_t m_contextCount = 0;
    std::vector<WheelInfo> m_wheels;
    std::vector<KeywordIndex> m_indexes;
    std::vector<Baggage> m_baggage;
};

} // namespace kv::title
