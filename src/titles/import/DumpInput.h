#pragma once

// The bytes of a data dump as published: a plain file or a gzip file (one or more members),
// decompressed while it is read, so memory stays the same whatever the file's size. Errors
// name the file and the byte offset where the data went wrong.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct z_stream_s;

namespace kv::titleimport {

class DumpInput {
public:
    DumpInput();
    ~DumpInput();
    DumpInput(const DumpInput&) = delete;
    DumpInput& operator=(const DumpInput&) = delete;

    // Opens a file (a FIFO or "-" for standard input work too); gzip is told by its magic
    // bytes, not by the name.
    bool open(const QString& path);
    // Reads from memory instead (tests and fuzzing); `name` stands in errors.
    void openBytes(const QString& name, std::string bytes);

    // Up to `capacity` decompressed bytes into `out`: the count, 0 at the end, -1 on an
    // error (then error() says what and where).
    int64_t read(char* out, size_t capacity);

    QString name() const { return m_name; }
    QString error() const { return m_error; }
    bool compressed() const { return m_gzip; }
    // Bytes of the file consumed so far, and the file's size (0 when unknown: a pipe).
    uint64_t filePosition() const { return m_fileConsumed; }
    uint64_t fileSize() const { return m_fileSize; }
    // Decompressed bytes handed out so far.
    uint64_t position() const { return m_produced; }

private:
    int64_t fill();
    int64_t readFile(void* out, size_t capacity, uint64_t offset);
    int64_t readPlain(char* out, size_t capacity);
    int64_t readGzip(char* out, size_t capacity);
    int64_t fail(const QString& message);

    QString m_name;
    QString m_error;
    int m_fd = -1;
    bool m_ownsFd = false;
    bool m_fileEnded = false;
    std::string m_memory;
    size_t m_memoryPos = 0;
    bool m_fromMemory = false;
    bool m_gzip = false;
    bool m_memberEnded = false;
    std::unique_ptr<z_stream_s> m_z;
    std::vector<unsigned char> m_in;
    size_t m_inBegin = 0, m_inEnd = 0;
    uint64_t m_fileRead = 0;     // bytes taken from the file into m_in
    uint64_t m_fileConsumed = 0; // of those, bytes the decompressor has used
    uint64_t m_fileSize = 0;
    uint64_t m_produced = 0;
};

} // namespace kv::titleimport
