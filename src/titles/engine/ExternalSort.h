#pragma once

// Data of a compile that need not all be in memory at once: bytes kept for writing later
// (Spool) and records wanted in another order than they come (RecordSorter). Both hold
// everything in memory while it fits in their budget and move the rest to unnamed scratch
// files in a given folder, so a catalogue of any size compiles in bounded memory and one
// that fits never touches the disk. The first failure is kept and every later call fails.

#include "formats/Files.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv::title {

// Bytes appended in order and read back in order.
class Spool {
public:
    Spool(QString scratchDir, size_t memoryBytes);
    bool append(std::string_view bytes);
    uint64_t size() const { return m_size; }
    // Hands the bytes to `sink` in order, in pieces; false on a read error or when the sink
    // returns false.
    template <typename Sink> bool read(Sink&& sink) const;
    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

private:
    bool readFile(uint64_t offset, std::string& piece) const;

    QString m_dir;
    size_t m_memory;
    std::string m_buffer; // what has not gone to the file yet
    std::unique_ptr<formats::ScratchFile> m_file;
    uint64_t m_size = 0;
    mutable QString m_error;
};

template <typename Sink> bool Spool::read(Sink&& sink) const {
    if (!ok()) return false;
    if (m_file) {
        std::string piece;
        for (uint64_t at = 0; at < m_file->size(); at += piece.size())
            if (!readFile(at, piece) || !sink(std::string_view(piece))) return false;
    }
    return m_buffer.empty() || sink(std::string_view(m_buffer));
}

// Records with a two-part key and a payload, given back in key order; records with equal
// keys keep the order they were added in. Runs of at most `memoryBytes` are sorted in memory
// and written out; the last run stays in memory and all are merged as they are read.
class RecordSorter {
public:
    struct Key {
        uint64_t a, b;
        bool operator<(const Key& o) const { return a != o.a ? a < o.a : b < o.b; }
    };
    RecordSorter(QString scratchDir, size_t memoryBytes);
    ~RecordSorter();
    bool add(Key key, std::string_view payload);
    uint64_t count() const { return m_count; }
    size_t runsOnDisk() const { return m_runs.size(); }
    // Ends adding. Then next() gives the records in order: false at the end and on an error
    // (error() says which). The payload stays valid until the following call.
    bool finish();
    bool next(Key& key, std::string_view& payload);
    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }

private:
    struct Entry {
        Key key;
        uint64_t offset;
        uint32_t size;
    };
    class RunReader;
    bool spillRun();
    void sortRun();
    Key keyOf(uint32_t source) const;
    // Whether source x's next record comes after source y's (the heap's order).
    bool after(uint32_t x, uint32_t y) const;

    QString m_dir;
    size_t m_memory;
    std::string m_bytes;          // payloads of the run in memory
    std::vector<Entry> m_entries; // the run in memory
    size_t m_memoryAt = 0;        // next entry of the run in memory while merging
    std::unique_ptr<formats::ScratchFile> m_file; // every run written, one after another
    std::vector<std::unique_ptr<RunReader>> m_runs;
    std::vector<uint32_t> m_heap; // sources by their next key: runs, then the memory run
    int64_t m_pending = -1;       // the source of the record handed out last
    uint64_t m_count = 0;
    bool m_finished = false;
    QString m_error;
};

} // namespace kv::title
