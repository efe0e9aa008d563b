#include "titles/engine/ExternalSort.h"

#include <algorithm>
#include <cstring>

namespace kv::title {

namespace {

constexpr size_t kReadPiece = 8u << 20;
constexpr size_t kRunBuffer = 1u << 20;
constexpr size_t kRecordHead = 8 + 8 + 4;

void put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(v >> (8 * i)));
}
uint64_t get(const char* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint64_t(uint8_t(p[i])) << (8 * i);
    return v;
}

} // namespace

Spool::Spool(QString scratchDir, size_t memoryBytes)
    : m_dir(std::move(scratchDir)), m_memory(std::max<size_t>(memoryBytes, 1)) {}

// Room for a whole budget at once: growth by doubling would briefly need twice the budget,
// and untouched reserved pages cost nothing.
constexpr size_t kMaxReserve = size_t(4) << 30;

bool Spool::append(std::string_view bytes) {
    if (!ok()) return false;
    if (m_buffer.capacity() < m_memory && m_memory <= kMaxReserve) m_buffer.reserve(m_memory);
    m_buffer.append(bytes);
    m_size += bytes.size();
    if (m_buffer.size() < m_memory) return true;
    if (!m_file) {
        m_file = std::make_unique<formats::ScratchFile>();
        if (!m_file->open(m_dir, &m_error)) return false;
    }
    if (!m_file->append(m_buffer.data(), m_buffer.size(), &m_error)) return false;
    m_buffer.clear();
    return true;
}

bool Spool::readFile(uint64_t offset, std::string& piece) const {
    piece.resize(size_t(std::min<uint64_t>(kReadPiece, m_file->size() - offset)));
    return m_file->read(offset, piece.data(), piece.size(), &m_error);
}

// One run written to the scratch file, read back a buffer at a time.
class RecordSorter::RunReader {
public:
    RunReader(const formats::ScratchFile& file, uint64_t begin, uint64_t end)
        : m_file(file), m_at(begin), m_end(end) {}
    // Loads the next record into key and payload; false at the end of the run (error
    // untouched) or when it cannot be read.
    bool advance(QString* error) {
        m_pos += m_used;
        m_used = 0;
        if (m_pos == m_buf.size() && m_at == m_end) return false;
        if (!ensure(kRecordHead, error)) return false;
        const char* p = m_buf.data() + m_pos;
        key = {get(p, 8), get(p + 8, 8)};
        const auto size = size_t(get(p + 16, 4));
        if (!ensure(kRecordHead + size, error)) return false;
        payload = std::string_view(m_buf.data() + m_pos + kRecordHead, size);
        m_used = kRecordHead + size;
        return true;
    }
    Key key{};
    std::string_view payload;

private:
    bool ensure(size_t n, QString* error) {
        const size_t have = m_buf.size() - m_pos;
        if (have >= n) return true;
        const uint64_t more = std::min<uint64_t>(m_end - m_at, std::max(n, kRunBuffer) - have);
        if (have + more < n) {
            *error = QStringLiteral("a scratch file of the compile ends inside a record");
            return false;
        }
        m_buf.erase(0, m_pos);
        m_pos = 0;
        m_buf.resize(have + size_t(more));
        if (!m_file.read(m_at, m_buf.data() + have, size_t(more), error)) return false;
        m_at += more;
        return true;
    }

    const formats::ScratchFile& m_file;
    uint64_t m_at, m_end;
    std::string m_buf;
    size_t m_pos = 0, m_used = 0;
};

RecordSorter::RecordSorter(QString scratchDir, size_t memoryBytes)
    : m_dir(std::move(scratchDir)), m_memory(std::max<size_t>(memoryBytes, 1)) {}

RecordSorter::~RecordSorter() = default;

bool RecordSorter::add(Key key, std::string_view payload) {
    if (!ok() || m_finished) return false;
    if (payload.size() > 0xFFFFFFFFu) {
        m_error = QStringLiteral("a record of the compile is larger than 4 GiB");
        return false;
    }
    if (m_bytes.capacity() < m_memory && m_memory <= kMaxReserve) {
        m_bytes.reserve(m_memory);
        m_entries.reserve(m_memory / sizeof(Entry));
    }
    m_entries.push_back({key, m_bytes.size(), uint32_t(payload.size())});
    m_bytes.append(payload);
    ++m_count;
    if (m_bytes.size() + m_entries.size() * sizeof(Entry) >= m_memory) return spillRun();
    return true;
}

void RecordSorter::sortRun() {
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry& x, const Entry& y) { return x.key < y.key; });
}

bool RecordSorter::spillRun() {
    if (!m_file) {
        m_file = std::make_unique<formats::ScratchFile>();
        if (!m_file->open(m_dir, &m_error)) return false;
    }
    sortRun();
    const uint64_t begin = m_file->size();
    std::string out;
    for (const Entry& e : m_entries) {
        put(out, e.key.a, 8);
        put(out, e.key.b, 8);
        put(out, e.size, 4);
        out.append(m_bytes, size_t(e.offset), e.size);
        if (out.size() >= kReadPiece || &e == &m_entries.back()) {
            if (!m_file->append(out.data(), out.size(), &m_error)) return false;
            out.clear();
        }
    }
    m_runs.push_back(std::make_unique<RunReader>(*m_file, begin, m_file->size()));
    m_entries.clear();
    m_bytes.clear();
    return true;
}

bool RecordSorter::finish() {
    if (!ok() || m_finished) return false;
    m_finished = true;
    sortRun();
    // Each source starts on its first record; ties go to the source added first.
    for (uint32_t s = 0; s < m_runs.size(); ++s) {
        if (m_runs[s]->advance(&m_error)) m_heap.push_back(s);
        if (!ok()) return false;
    }
    if (!m_entries.empty()) m_heap.push_back(uint32_t(m_runs.size()));
    std::make_heap(m_heap.begin(), m_heap.end(), [this](uint32_t x, uint32_t y) { return after(x, y); });
    return true;
}

bool RecordSorter::after(uint32_t x, uint32_t y) const {
    const Key kx = keyOf(x), ky = keyOf(y);
    return ky < kx || (!(kx < ky) && y < x);
}

RecordSorter::Key RecordSorter::keyOf(uint32_t source) const {
    return source < m_runs.size() ? m_runs[source]->key : m_entries[m_memoryAt].key;
}

bool RecordSorter::next(Key& key, std::string_view& payload) {
    if (!ok() || !m_finished) return false;
    const auto later = [this](uint32_t x, uint32_t y) { return after(x, y); };
    // The source of the previous record moves on only now, so its payload lived until here.
    if (m_pending >= 0) {
        const auto s = uint32_t(m_pending);
        const bool more =
            s < m_runs.size() ? m_runs[s]->advance(&m_error) : ++m_memoryAt < m_entries.size();
        if (!ok()) return false;
        if (more) {
            m_heap.push_back(s);
            std::push_heap(m_heap.begin(), m_heap.end(), later);
        }
        m_pending = -1;
    }
    if (m_heap.empty()) return false;
    std::pop_heap(m_heap.begin(), m_heap.end(), later);
    const uint32_t s = m_heap.back();
    m_heap.pop_back();
    m_pending = int64_t(s);
    if (s < m_runs.size()) {
        key = m_runs[s]->key;
        payload = m_runs[s]->payload;
    } else {
        const Entry& e = m_entries[m_memoryAt];
        key = e.key;
        payload = std::string_view(m_bytes).substr(size_t(e.offset), e.size);
    }
    return true;
}

} // namespace kv::title
