#include "titles/engine/TitleWriter.h"

#include "formats/Files.h"
#include "titles/engine/Fold.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleFormat.h"

#include <algorithm>
#include <cstring>

namespace kv::title {

std::string_view Arena::add(std::string_view s) {
    if (s.size() > m_capacity - m_used) {
        const size_t size = std::max<size_t>(s.size(), 4u << 20);
        m_blocks.push_back(std::make_unique<char[]>(size));
        m_used = 0;
        m_capacity = size;
    }
    char* p = m_blocks.back().get() + m_used;
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    m_used += s.size();
    m_bytes += s.size();
    return {p, s.size()};
}

namespace {

uint64_t hashText(std::string_view s) {
    uint64_t h = 1469598103934665603ull; // FNV-1a, then a final mix
    for (char c : s)
        h = (h ^ uint8_t(c)) * 1099511628211ull;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 33);
}

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(char(v >> (8 * i)));
}
void put64(std::string& out, uint64_t v) {
    put32(out, uint32_t(v));
    put32(out, uint32_t(v >> 32));
}

} // namespace

// Streams sections to the output and remembers where each one went.
class SectionFile {
public:
    explicit SectionFile(formats::AtomicFile& f) : m_file(f) {}
    bool ok() const { return m_ok; }
    uint64_t pos() const { return m_pos; }

    void write(const void* data, size_t size) {
        if (!m_ok || size == 0) return;
        m_buffer.append(static_cast<const char*>(data), size);
        m_pos += size;
        if (m_buffer.size() >= (8u << 20)) flush();
    }
    void write(std::string_view s) { write(s.data(), s.size()); }
    void put32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        write(b, 4);
    }
    void put16(uint16_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        write(b, 2);
    }
    void put64(uint64_t v) {
        put32(uint32_t(v));
        put32(uint32_t(v >> 32));
    }
    void begin(uint32_t tag, uint32_t index) {
        static const char zeros[8] = {};
        write(zeros, (8 - m_pos % 8) % 8);
        m_dir.push_back({tag, index, m_pos, 0});
    }
    void end() { m_dir.back().size = m_pos - m_dir.back().offset; }
    void flush() {
        if (m_ok && !m_buffer.empty() && !m_file.write(m_buffer.data(), m_buffer.size()))
            m_ok = false;
        m_buffer.clear();
    }
    struct Entry {
        uint32_t tag, index;
        uint64_t offset, size;
    };
    std::vector<Entry> m_dir;

private:
    formats::AtomicFile& m_file;
    std::string m_buffer;
    uint64_t m_pos = 0;
    bool m_ok = true;
};

struct TitleWriter::Wheel {
    Arena texts;
    std::vector<std::string_view> keywords;
    std::vector<uint32_t> table;    // open addressing: keyword number + 1, 0 = empty
    std::vector<uint64_t> postings; // keyword << 32 | topic

    uint32_t find(std::string_view s) {
        if (keywords.size() * 2 >= table.size()) grow();
        size_t mask = table.size() - 1;
        for (size_t i = hashText(s) & mask;; i = (i + 1) & mask) {
            if (table[i] == 0) {
                keywords.push_back(texts.add(s));
                table[i] = uint32_t(keywords.size());
                return uint32_t(keywords.size() - 1);
            }
            if (keywords[table[i] - 1] == s) return table[i] - 1;
        }
    }
    void grow() {
        std::vector<uint32_t> t(std::max<size_t>(1024, table.size() * 2));
        const size_t mask = t.size() - 1;
        for (size_t k = 0; k < keywords.size(); ++k) {
            size_t i = hashText(keywords[k]) & mask;
            while (t[i])
                i = (i + 1) & mask;
            t[i] = uint32_t(k + 1);
        }
        table.swap(t);
    }
};

TitleWriter::TitleWriter(QString scratchDir, size_t memoryBytes)
    : m_topicData(std::move(scratchDir), memoryBytes) {}
TitleWriter::~TitleWriter() = default;

uint32_t TitleWriter::addTopic(char kind, std::string_view context, std::string_view title,
                               std::string_view identification, std::string_view page) {
    const auto topic = uint32_t(m_topicStarts.size());
    m_topicStarts.push_back(m_topicData.size());
    std::string head(1, kind);
    putString(head, context);
    putString(head, title);
    putString(head, identification);
    // A failure is kept by the spool and reported by write().
    if (m_topicData.append(head)) m_topicData.append(page);
    if (!context.empty()) m_contexts.emplace_back(m_contextText.add(context), topic);
    return topic;
}

int TitleWriter::addWheel(uint32_t code, std::string_view name) {
    m_wheels.push_back(std::make_unique<Wheel>());
    m_logical.push_back({code, std::string(name), int(m_wheels.size() - 1)});
    return int(m_wheels.size() - 1);
}

void TitleWriter::addAlias(uint32_t code, std::string_view name, int wheel) {
    m_logical.push_back({code, std::string(name), wheel});
}

uint32_t TitleWriter::keyword(int wheel, std::string_view display) {
    return m_wheels[size_t(wheel)]->find(display);
}

uint32_t TitleWriter::keywordCount(int wheel) const {
    return uint32_t(m_wheels[size_t(wheel)]->keywords.size());
}

void TitleWriter::file(int wheel, uint32_t keyword, uint32_t topic) {
    m_wheels[size_t(wheel)]->postings.push_back(uint64_t(keyword) << 32 | topic);
}

void TitleWriter::addBaggage(std::string_view name, std::string_view data) {
    m_baggage.emplace_back(std::string(name), std::string(data));
}

namespace {

int compareBytes(std::string_view a, std::string_view b) {
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The keywords of one wheel folded, and their order in the wheel.
struct WheelOrder {
    Arena foldArena;
    std::vector<std::string_view> folded; // by keyword number
    std::vector<uint64_t> keys;           // first eight folded bytes, by keyword number
    std::vector<uint32_t> order;          // keyword numbers in wheel order
    std::vector<uint32_t> rank;           // wheel position of each keyword number
};

bool foldAndSort(const std::vector<std::string_view>& keywords, WheelOrder& w, QString* error) {
    const size_t n = keywords.size();
    w.folded.resize(n);
    w.keys.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const std::string f = foldUtf8(keywords[i]);
        // The compiler refuses longer fields with their file and line; this is the last line
        // of defence for other callers.
        if (keywords[i].size() > size_t(kMaxKeywordBytes) || f.size() > size_t(kMaxKeywordBytes)) {
            *error =
                QStringLiteral("keyword longer than %1 bytes: %2…")
                    .arg(kMaxKeywordBytes)
                    .arg(QString::fromUtf8(keywords[i].data(),
                                           qsizetype(std::min<size_t>(60, keywords[i].size()))));
            return false;
        }
        w.folded[i] = w.foldArena.add(f);
        w.keys[i] = key8(w.folded[i]);
    }
    w.order.resize(n);
    for (size_t i = 0; i < n; ++i)
        w.order[i] = uint32_t(i);
    std::sort(w.order.begin(), w.order.end(), [&](uint32_t a, uint32_t b) {
        if (w.keys[a] != w.keys[b]) return w.keys[a] < w.keys[b];
        const int c = compareBytes(w.folded[a], w.folded[b]);
        return c != 0 ? c < 0 : a < b;
    });
    w.rank.resize(n);
    for (size_t r = 0; r < n; ++r)
        w.rank[w.order[r]] = uint32_t(r);
    return true;
}

// Keyword records, display texts, folded forms of the non-ASCII keywords, the samples.
bool writeKeywords(SectionFile& out, uint32_t index, const std::vector<std::string_view>& keywords,
                   const WheelOrder& w, QString* error) {
    uint64_t textSize = 0, foldSize = 0;
    for (uint32_t id : w.order) {
        textSize += keywords[id].size();
        if (!isAscii(keywords[id])) {
            std::string v;
            putVarint(v, uint32_t(w.folded[id].size()));
            foldSize += v.size() + w.folded[id].size();
        }
    }
    if (textSize >= 0xFFFFFFFFull || foldSize >= 0xFFFFFFFFull) {
        *error = QStringLiteral("the keywords of one wheel exceed 4 GiB");
        return false;
    }
    out.begin(kTagKeyRecords, index);
    uint64_t t = 0, f = 0;
    for (uint32_t id : w.order) {
        out.put32(uint32_t(t));
        if (isAscii(keywords[id])) {
            out.put32(kAsciiFold);
        } else {
            out.put32(uint32_t(f));
            std::string v;
            putVarint(v, uint32_t(w.folded[id].size()));
            f += v.size() + w.folded[id].size();
        }
        t += keywords[id].size();
    }
    out.put32(uint32_t(t));
    out.put32(kAsciiFold);
    out.end();
    out.begin(kTagKeyText, index);
    for (uint32_t id : w.order)
        out.write(keywords[id]);
    out.end();
    out.begin(kTagKeyFolded, index);
    for (uint32_t id : w.order)
        if (!isAscii(keywords[id])) {
            std::string v;
            putString(v, w.folded[id]);
            out.write(v);
        }
    out.end();
    const size_t n = keywords.size();
    out.begin(kTagKeySamples, index);
    for (size_t r = 0; r < n; r += kSampleStep)
        out.put64(w.keys[w.order[r]]);
    out.end();
    out.begin(kTagKeyTopSamples, index);
    for (size_t r = 0; r < n; r += size_t(kSampleStep) * kSampleStep)
        out.put64(w.keys[w.order[r]]);
    out.end();
    return true;
}

// Topics of each keyword, ascending and distinct. Frees the postings.
bool writePostings(SectionFile& out, uint32_t index, std::vector<uint64_t>& postings,
                   const WheelOrder& w, uint32_t topicCount, QString* error,
                   TitleWriter::Stats& stats) {
    for (uint64_t& p : postings) {
        const uint32_t topic = uint32_t(p);
        if (topic >= topicCount) {
            *error = QStringLiteral("a keyword files topic %1, which does not exist").arg(topic);
            return false;
        }
        p = uint64_t(w.rank[p >> 32]) << 32 | topic;
    }
    std::sort(postings.begin(), postings.end());
    postings.erase(std::unique(postings.begin(), postings.end()), postings.end());
    out.begin(kTagPostStarts, index);
    size_t pi = 0;
    for (size_t r = 0; r <= w.order.size(); ++r) {
        while (pi < postings.size() && (postings[pi] >> 32) < r)
            ++pi;
        out.put32(uint32_t(pi));
    }
    out.end();
    out.begin(kTagPostAddrs, index);
    for (uint64_t p : postings)
        out.put32(uint32_t(p));
    out.end();
    stats.postings += postings.size();
    std::vector<uint64_t>().swap(postings);
    return true;
}

void writeWordStarts(SectionFile& out, uint32_t index, const WheelOrder& w,
                     TitleWriter::Stats& stats) {
    struct Start {
        uint64_t key;
        uint32_t rank;
        uint16_t offset;
    };
    const size_t n = w.order.size();
    std::vector<Start> starts;
    starts.reserve(n * 3);
    for (size_t r = 0; r < n; ++r) {
        const std::string_view fr = w.folded[w.order[r]];
        for (uint32_t s : wordStarts(fr))
            starts.push_back({key8(fr.substr(s)), uint32_t(r), uint16_t(s)});
    }
    std::sort(starts.begin(), starts.end(), [&](const Start& a, const Start& b) {
        if (a.key != b.key) return a.key < b.key;
        const int c = compareBytes(w.folded[w.order[a.rank]].substr(a.offset),
                                   w.folded[w.order[b.rank]].substr(b.offset));
        if (c != 0) return c < 0;
        return a.rank != b.rank ? a.rank < b.rank : a.offset < b.offset;
    });
    out.begin(kTagWordKeys, index);
    for (const Start& s : starts)
        out.put32(s.rank);
    out.end();
    out.begin(kTagWordOffsets, index);
    for (const Start& s : starts)
        out.put16(s.offset);
    out.end();
    out.begin(kTagWordSamples, index);
    for (size_t i = 0; i < starts.size(); i += kSampleStep)
        out.put64(starts[i].key);
    out.end();
    stats.keywords += n;
    stats.wordStarts += starts.size();
}

// The gram index: for every three-byte run of the folded forms (padded with two zero bytes),
// the keywords that hold it, as ascending deltas. Keywords are visited in wheel order, so
// each list is appended in order and memory stays at the compressed size.
void writeGrams(SectionFile& out, uint32_t index, const WheelOrder& w, TitleWriter::Stats& stats) {
    struct GramList {
        std::string bytes;
        uint32_t last = 0;
        uint32_t count = 0;
    };
    std::vector<uint32_t> slotOf(size_t(1) << 24, 0); // list number + 1
    std::vector<GramList> lists;
    std::vector<uint32_t> grams;
    for (size_t r = 0; r < w.order.size(); ++r) {
        const std::string_view fr = w.folded[w.order[r]];
        grams.clear();
        for (size_t i = 0; i < fr.size(); ++i)
            grams.push_back(gram3(fr, i));
        std::sort(grams.begin(), grams.end());
        grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
        for (uint32_t g : grams) {
            uint32_t& slot = slotOf[g];
            if (slot == 0) {
                lists.emplace_back();
                slot = uint32_t(lists.size());
            }
            GramList& l = lists[slot - 1];
            putVarint(l.bytes, l.count ? uint32_t(r) - l.last : uint32_t(r));
            l.last = uint32_t(r);
            ++l.count;
        }
    }
    out.begin(kTagGrams, index);
    uint64_t at = 0;
    for (uint32_t g = 0; g < slotOf.size(); ++g)
        if (slotOf[g]) {
            const GramList& l = lists[slotOf[g] - 1];
            out.put32(g);
            out.put32(l.count);
            out.put64(at);
            at += l.bytes.size();
        }
    out.put32(0xFFFFFFFFu);
    out.put32(0);
    out.put64(at);
    out.end();
    out.begin(kTagGramPostings, index);
    for (uint32_t g = 0; g < slotOf.size(); ++g)
        if (slotOf[g]) {
            GramList& l = lists[slotOf[g] - 1];
            out.write(l.bytes);
            std::string().swap(l.bytes);
        }
    out.end();
    stats.grams += lists.size();
    stats.gramBytes += at;
}

bool writeWheel(SectionFile& out, uint32_t index, std::vector<std::string_view>& keywords,
                std::vector<uint64_t>& postings, uint32_t topicCount, QString* error,
                TitleWriter::Stats& stats) {
    WheelOrder w;
    if (!foldAndSort(keywords, w, error) || !writeKeywords(out, index, keywords, w, error) ||
        !writePostings(out, index, postings, w, topicCount, error, stats))
        return false;
    writeWordStarts(out, index, w, stats);
    writeGrams(out, index, w, stats);
    return true;
}

} // namespace

namespace {

bool writeTopics(SectionFile& out, const Spool& data, const std::vector<uint64_t>& starts,
                 QString* error) {
    out.begin(kTagTopicIndex, 0);
    for (uint64_t s : starts)
        out.put64(s);
    out.put64(data.size());
    out.end();
    out.begin(kTagTopicData, 0);
    const bool ok = data.read([&](std::string_view piece) {
        out.write(piece);
        return true;
    });
    out.end();
    if (!ok) *error = data.error();
    return ok;
}

// Context strings sorted bytewise for jumps by name; each names one topic.
bool writeContexts(SectionFile& out, std::vector<std::pair<std::string_view, uint32_t>>& contexts,
                   QString* error) {
    std::stable_sort(contexts.begin(), contexts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < contexts.size(); ++i)
        if (contexts[i].first == contexts[i - 1].first) {
            *error = QStringLiteral("two topics share the context string %1")
                         .arg(QString::fromUtf8(contexts[i].first.data(),
                                                qsizetype(contexts[i].first.size())));
            return false;
        }
    out.begin(kTagContexts, 0);
    for (const auto& c : contexts)
        out.put32(c.second);
    out.end();
    return true;
}

void writeBaggage(SectionFile& out,
                  const std::vector<std::pair<std::string, std::string>>& baggage) {
    std::string dir;
    const uint64_t head = 4 + 24 * uint64_t(baggage.size());
    uint64_t at = head;
    for (const auto& [name, data] : baggage)
        at += name.size();
    uint64_t nameAt = head, dataAt = at;
    put32(dir, uint32_t(baggage.size()));
    for (const auto& [name, data] : baggage) {
        put32(dir, uint32_t(nameAt));
        put32(dir, uint32_t(name.size()));
        put64(dir, dataAt);
        put64(dir, data.size());
        nameAt += name.size();
        dataAt += data.size();
    }
    out.begin(kTagBaggage, 0);
    out.write(dir);
    for (const auto& b : baggage)
        out.write(b.first);
    for (const auto& b : baggage)
        out.write(b.second);
    out.end();
}

// The section directory at the end of the file; returns its offset.
uint64_t writeDirectory(SectionFile& out) {
    out.begin(0, 0); // aligns the directory
    out.m_dir.pop_back();
    const uint64_t at = out.pos();
    for (const auto& e : out.m_dir) {
        out.put32(e.tag);
        out.put32(e.index);
        out.put64(e.offset);
        out.put64(e.size);
    }
    return at;
}

} // namespace

bool TitleWriter::writeWheelDirectory(SectionFile& out, uint32_t& logicalCount,
                                      QString* error) const {
    std::vector<Logical> logical = m_logical;
    std::sort(logical.begin(), logical.end(),
              [](const Logical& a, const Logical& b) { return a.code < b.code; });
    for (size_t i = 1; i < logical.size(); ++i)
        if (logical[i].code == logical[i - 1].code) {
            *error = QStringLiteral("two word wheels share the identifier %1").arg(logical[i].code);
            return false;
        }
    std::string wdir, names;
    for (const Logical& l : logical) {
        put32(wdir, l.code);
        put32(wdir, uint32_t(l.wheel));
        put32(wdir, uint32_t(16 * logical.size() + names.size()));
        put32(wdir, uint32_t(l.name.size()));
        names += l.name;
    }
    out.begin(kTagWheels, 0);
    out.write(wdir + names);
    out.end();
    logicalCount = uint32_t(logical.size());
    return true;
}

bool TitleWriter::write(const QString& path, QString* error, Stats* statsOut) {
    QString why;
    Stats stats;
    if (!error) error = &why;
    if (m_topicStarts.size() > 0x7FFFFFFFu) {
        *error = QStringLiteral("too many topics");
        return false;
    }
    formats::AtomicFile file(path);
    if (!file.open(error)) return false;
    SectionFile out(file);
    const std::string header(kHeaderSize, '\0');
    out.write(header);

    const auto step = [&](const QString& what) {
        if (!m_step || m_step(what)) return true;
        *error = QStringLiteral("interrupted");
        return false;
    };
    const uint32_t topics = uint32_t(m_topicStarts.size());
    if (!step(QStringLiteral("Writing pages")) ||
        !writeTopics(out, m_topicData, m_topicStarts, error) ||
        !writeContexts(out, m_contexts, error))
        return false;
    uint32_t logicalCount = 0;
    if (!writeWheelDirectory(out, logicalCount, error)) return false;
    for (size_t w = 0; w < m_wheels.size(); ++w) {
        const auto named = std::find_if(m_logical.begin(), m_logical.end(),
                                        [&](const Logical& l) { return l.wheel == int(w); });
        if (!step(QStringLiteral("Writing the word wheel ") +
                  QString::fromStdString(named->name)) ||
            !writeWheel(out, uint32_t(w), m_wheels[w]->keywords, m_wheels[w]->postings, topics,
                        error, stats))
            return false;
    }
    writeBaggage(out, m_baggage);
    const uint64_t dirOffset = writeDirectory(out);
    const uint64_t total = out.pos();
    out.flush();

    std::string h(kMagic, sizeof kMagic);
    h.push_back(char(kMajorVersion & 0xFF));
    h.push_back(char(kMajorVersion >> 8));
    h.push_back(char(kMinorVersion & 0xFF));
    h.push_back(char(kMinorVersion >> 8));
    put32(h, uint32_t(out.m_dir.size()));
    put64(h, total);
    put64(h, dirOffset);
    put32(h, m_contents);
    put32(h, topics);
    put32(h, logicalCount);
    h.resize(kHeaderSize, '\0');
    // A failed write of a section shows here: the file remembers the first error.
    file.writeAt(0, h.data(), h.size());
    if (!file.commit(error)) return false;
    stats.fileBytes = total;
    if (statsOut) *statsOut = stats;
    return true;
}

} // namespace kv::title
