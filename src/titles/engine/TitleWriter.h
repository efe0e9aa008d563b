#pragma once

// Builds a compiled title: topics in address order, word wheels with their keywords and the
// topics filed under each, and baggage files. Pages go to a spool that moves to a scratch
// file past its memory budget; keywords live in arenas and an open-addressing table, so
// catalogues of tens of millions of keywords compile in a few gigabytes.

#include "titles/engine/ExternalSort.h"

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv::title {

class SectionFile;

// Append-only text storage whose views stay valid.
class Arena {
public:
    std::string_view add(std::string_view s);
    uint64_t bytes() const { return m_bytes; }

private:
    std::deque<std::unique_ptr<char[]>> m_blocks;
    size_t m_used = 0, m_capacity = 0;
    uint64_t m_bytes = 0;
};

class TitleWriter {
public:
    // Pages beyond `memoryBytes` wait in an unnamed file in `scratchDir`.
    explicit TitleWriter(QString scratchDir = {}, size_t memoryBytes = SIZE_MAX);
    ~TitleWriter();

    uint32_t addTopic(char kind, std::string_view context, std::string_view title,
                      std::string_view identification, std::string_view page);
    uint32_t topicCount() const { return uint32_t(m_topicStarts.size()); }
    void setContents(uint32_t address) { m_contents = address; }

    // A wheel with its own keywords; returns its number for keyword() and file().
    int addWheel(uint32_t code, std::string_view name);
    // Another identifier for the keywords of an existing wheel.
    void addAlias(uint32_t code, std::string_view name, int wheel);
    // The keyword with this display text (added on first use); keywords keep the order of
    // first use among equal folded forms.
    uint32_t keyword(int wheel, std::string_view display);
    uint32_t keywordCount(int wheel) const;
    void file(int wheel, uint32_t keyword, uint32_t topic);

    void addBaggage(std::string_view name, std::string_view data);

    struct Stats {
        uint64_t fileBytes = 0;
        uint64_t keywords = 0;
        uint64_t wordStarts = 0;
        uint64_t postings = 0;
        uint64_t grams = 0;
        uint64_t gramBytes = 0;
    };
    // Writes atomically: on failure the previous file at `path` is left alone.
    bool write(const QString& path, QString* error, Stats* stats = nullptr);
    // Told each step of write() ("Writing pages", "Writing the word wheel NAME") as it
    // starts; returning false stops the write as "interrupted".
    void setStepHook(std::function<bool(const QString& step)> hook) { m_step = std::move(hook); }

private:
    struct Wheel;
    // Sorts the logical wheels by identifier and writes their directory.
    bool writeWheelDirectory(SectionFile& out, uint32_t& logicalCount, QString* error) const;
    struct Logical {
        uint32_t code;
        std::string name;
        int wheel;
    };
    Spool m_topicData;
    std::vector<uint64_t> m_topicStarts;
    Arena m_contextText;
    std::vector<std::pair<std::string_view, uint32_t>> m_contexts; // non-empty ones
    uint32_t m_contents = 0;
    std::vector<std::unique_ptr<Wheel>> m_wheels;
    std::vector<Logical> m_logical;
    std::vector<std::pair<std::string, std::string>> m_baggage;
    std::function<bool(const QString&)> m_step;
};

} // namespace kv::title
