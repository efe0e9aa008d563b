#include "titles/engine/TitleFile.h"

#include "formats/Files.h"
#include "titles/engine/TitleFormat.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sys/mman.h>

namespace kv::title {

namespace {

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

bool asciiIEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

} // namespace

class TitleFile::Directory {
public:
    using Span = KeywordIndex::Span;

    // False when an entry lies outside the file or a (tag, index) pair is listed twice.
    bool read(const uint8_t* d, uint64_t size, uint64_t at, uint32_t count, QString* error) {
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = d + at + uint64_t(i) * kDirEntrySize;
            const uint64_t off = rd64(e + 8), length = rd64(e + 16);
            if (off > size || length > size - off)
                return fail(error, QStringLiteral("section outside the file"));
            if (!m_ranges.emplace(std::pair(rd32(e), rd32(e + 4)), Span{d + off, length}).second)
                return fail(error, QStringLiteral("section listed twice"));
        }
        return true;
    }
    // The section, or an empty span (null bytes) when the title has none.
    Span find(uint32_t tag, uint32_t index) const {
        const auto it = m_ranges.find({tag, index});
        return it == m_ranges.end() ? Span{} : it->second;
    }

private:
    std::map<std::pair<uint32_t, uint32_t>, Span> m_ranges;
};

TitleFile::TitleFile() = default;

TitleFile::~TitleFile() = default;

std::shared_ptr<const TitleFile> TitleFile::open(const QString& path, QString* error) {
    std::shared_ptr<TitleFile> t(new TitleFile);
    t->m_path = path;
    t->m_file = std::make_unique<formats::MappedFile>();
    QString why;
    if (!t->m_file->open(path, &why)) {
        fail(error, QStringLiteral("Cannot open %1: %2").arg(path, why));
        return nullptr;
    }
    if (t->m_file->size() < uint64_t(kHeaderSize)) {
        fail(error, QStringLiteral("%1 is not a title (too short)").arg(path));
        return nullptr;
    }
    t->m_data = t->m_file->data();
    t->m_size = t->m_file->size();
    // Look-ups touch a few scattered pages: reading ahead around each would cost more than
    // the page itself on a cold start.
    madvise(const_cast<uint8_t*>(t->m_data), t->m_size, MADV_RANDOM);
    if (!t->load(&why)) {
        fail(error, QStringLiteral("%1 is not a usable title: %2").arg(path, why));
        return nullptr;
    }
    return t;
}

std::shared_ptr<const TitleFile> TitleFile::fromBytes(QByteArray bytes, QString* error) {
    std::shared_ptr<TitleFile> t(new TitleFile);
    t->m_bytes = std::move(bytes);
    t->m_data = reinterpret_cast<const uint8_t*>(t->m_bytes.constData());
    t->m_size = uint64_t(t->m_bytes.size());
    if (!t->load(error)) return nullptr;
    return t;
}

bool TitleFile::load(QString* error) {
    uint64_t at = 0;
    uint32_t sections = 0, wheelCount = 0;
    Directory dir;
    return readHeader(at, sections, wheelCount, error) &&
           dir.read(m_data, m_size, at, sections, error) && readTopics(dir, error) &&
           readWheels(dir, wheelCount, error) && readBaggage(dir, error);
}

bool TitleFile::readHeader(uint64_t& directory, uint32_t& sections, uint32_t& wheelCount,
                           QString* error) {
    const uint8_t* d = m_data;
    if (m_size < uint64_t(kHeaderSize)) return fail(error, QStringLiteral("too short"));
    if (std::memcmp(d, kMagic, sizeof kMagic) != 0)
        return fail(error, QStringLiteral("not a Korvanda title"));
    if (rd16(d + 8) != kMajorVersion)
        return fail(error, QStringLiteral("format version %1 is not supported").arg(rd16(d + 8)));
    m_minor = rd16(d + 10);
    sections = rd32(d + 12);
    if (rd64(d + 16) != m_size) return fail(error, QStringLiteral("truncated or extended"));
    directory = rd64(d + 24);
    m_contents = rd32(d + 32);
    m_topicCount = rd32(d + 36);
    wheelCount = rd32(d + 40);
    if (sections > kMaxSections || directory > m_size ||
        uint64_t(sections) * kDirEntrySize > m_size - directory)
        return fail(error, QStringLiteral("damaged section directory"));
    return true;
}

bool TitleFile::readTopics(const Directory& dir, QString* error) {
    Directory::Span r = dir.find(kTagTopicIndex, 0);
    if (!r.p || r.size != 8 * (uint64_t(m_topicCount) + 1))
        return fail(error, QStringLiteral("damaged topic index"));
    m_topicIndex = r.p;
    r = dir.find(kTagTopicData, 0);
    if (!r.p) return fail(error, QStringLiteral("no topic data"));
    m_topicData = r.p;
    m_topicDataSize = r.size;
    r = dir.find(kTagContexts, 0);
    if (!r.p || r.size % 4 != 0) return fail(error, QStringLiteral("damaged context index"));
    m_contexts = r.p;
    m_contextCount = r.size / 4;
    return true;
}

bool TitleFile::readWheels(const Directory& dir, uint32_t wheelCount, QString* error) {
    const Directory::Span wdir = dir.find(kTagWheels, 0);
    if (!wdir.p || uint64_t(wheelCount) * 16 > wdir.size)
        return fail(error, QStringLiteral("damaged wheel directory"));
    m_wheels.reserve(wheelCount);
    uint32_t physicalCount = 0;
    for (uint32_t i = 0; i < wheelCount; ++i) {
        const uint8_t* e = wdir.p + 16 * uint64_t(i);
        WheelInfo w;
        w.code = rd32(e);
        w.physical = rd32(e + 4);
        const uint32_t nameOff = rd32(e + 8), nameLen = rd32(e + 12);
        if (nameOff > wdir.size || nameLen > wdir.size - nameOff || w.physical >= wheelCount ||
            (i > 0 && w.code <= m_wheels.back().code))
            return fail(error, QStringLiteral("damaged wheel directory"));
        w.name = std::string_view(reinterpret_cast<const char*>(wdir.p) + nameOff, nameLen);
        physicalCount = std::max(physicalCount, w.physical + 1);
        m_wheels.push_back(w);
    }
    m_indexes.resize(physicalCount);
    for (const WheelInfo& w : m_wheels) {
        KeywordIndex& k = m_indexes[w.physical];
        if (k.attached()) continue;
        using S = KeywordIndex::Sections;
        static constexpr std::pair<KeywordIndex::Span S::*, uint32_t> kParts[] = {
            {&S::records, kTagKeyRecords},
            {&S::text, kTagKeyText},
            {&S::folded, kTagKeyFolded},
            {&S::samples, kTagKeySamples},
            {&S::topSamples, kTagKeyTopSamples},
            {&S::postStarts, kTagPostStarts},
            {&S::postAddrs, kTagPostAddrs},
            {&S::wordKeys, kTagWordKeys},
            {&S::wordOffsets, kTagWordOffsets},
            {&S::wordSamples, kTagWordSamples},
            {&S::grams, kTagGrams},
            {&S::gramPostings, kTagGramPostings},
        };
        S s;
        for (const auto& [part, tag] : kParts)
            s.*part = dir.find(tag, w.physical);
        if (const char* problem = k.attach(s, m_file != nullptr))
            return fail(error,
                        QStringLiteral("wheel %1 %2").arg(w.physical).arg(QLatin1String(problem)));
    }
    return true;
}

bool TitleFile::readBaggage(const Directory& dir, QString* error) {
    const Directory::Span r = dir.find(kTagBaggage, 0);
    if (!r.p) return true;
    if (r.size < 4) return fail(error, QStringLiteral("damaged baggage directory"));
    const uint32_t count = rd32(r.p);
    if (uint64_t(count) * 24 > r.size - 4)
        return fail(error, QStringLiteral("damaged baggage directory"));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = r.p + 4 + 24 * uint64_t(i);
        const uint64_t nameOff = rd32(e), nameLen = rd32(e + 4);
        const uint64_t dataOff = rd64(e + 8), dataLen = rd64(e + 16);
        if (nameOff > r.size || nameLen > r.size - nameOff || dataOff > r.size ||
            dataLen > r.size - dataOff)
            return fail(error, QStringLiteral("damaged baggage directory"));
        m_baggage.push_back({{reinterpret_cast<const char*>(r.p) + nameOff, size_t(nameLen)},
                             {reinterpret_cast<const char*>(r.p) + dataOff, size_t(dataLen)}});
    }
    return true;
}

const WheelInfo* TitleFile::wheel(uint32_t code) const {
    const auto it = std::lower_bound(m_wheels.begin(), m_wheels.end(), code,
                                     [](const WheelInfo& w, uint32_t c) { return w.code < c; });
    return it != m_wheels.end() && it->code == code ? &*it : nullptr;
}

const KeywordIndex* TitleFile::keywords(uint32_t physical) const {
    return physical < m_indexes.size() && m_indexes[physical].attached() ? &m_indexes[physical]
                                                                         : nullptr;
}

bool TitleFile::topic(uint32_t address, TopicRecord& out) const {
    if (address >= m_topicCount) return false;
    const uint64_t a = rd64(m_topicIndex + 8 * uint64_t(address));
    const uint64_t b = rd64(m_topicIndex + 8 * (uint64_t(address) + 1));
    if (a > b || b > m_topicDataSize) return false;
    Cursor c(m_topicData + a, m_topicData + b);
    out.kind = char(c.u8());
    out.contextString = c.str();
    out.title = c.str();
    out.identification = c.str();
    out.page = c.rest();
    return c.ok();
}

bool TitleFile::topicHead(uint32_t address, std::string_view& context) const {
    TopicRecord t;
    if (!topic(address, t)) return false;
    context = t.contextString;
    return true;
}

int64_t TitleFile::topicByContext(std::string_view context) const {
    uint64_t lo = 0, hi = m_contextCount;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        std::string_view c;
        if (!topicHead(rd32(m_contexts + 4 * mid), c)) return -1;
        if (c < context)
            lo = mid + 1;
        else
            hi = mid;
    }
    std::string_view c;
    if (lo < m_contextCount) {
        const uint32_t t = rd32(m_contexts + 4 * lo);
        if (topicHead(t, c) && c == context) return t;
    }
    return -1;
}

std::optional<std::string_view> TitleFile::baggage(std::string_view name) const {
    for (const Baggage& b : m_baggage)
        if (asciiIEquals(b.name, name)) return b.data;
    return std::nullopt;
}

} // namespace kv::title
