#pragma once

// A compiled title, mapped read-only. Opening checks the header and the section directory;
// every other read checks its own offsets and lengths, so a damaged or hostile file yields
// failures, never a crash, a hang or a huge allocation.

#include "titles/engine/KeywordIndex.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::formats {
class MappedFile;
}

namespace kv::title {

struct TopicRecord {
    char kind = 0;
    std::string_view contextString;
    std::string_view title;
    std::string_view identification;
    std::string_view page;
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
    // The sections listed in the directory, by tag and index.
    class Directory;

    TitleFile();
    // Reads the header and the directory and attaches every part: the steps below.
    bool load(QString* error);
    bool readHeader(uint64_t& directory, uint32_t& sections, uint32_t& wheelCount, QString* error);
    bool readTopics(const Directory& dir, QString* error);
    bool readWheels(const Directory& dir, uint32_t wheelCount, QString* error);
    bool readBaggage(const Directory& dir, QString* error);
    bool topicHead(uint32_t address, std::string_view& context) const;

    QString m_path;
    std::unique_ptr<formats::MappedFile> m_file;
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
