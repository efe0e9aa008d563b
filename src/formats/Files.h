#pragma once

// Reading and writing data files safely. Readers open regular files only: a FIFO would
// block the open or the first read forever, a device may have side effects or never end.
// Writers never write into an existing file: a new file is written beside the target and
// renamed over it once complete, so a failed write leaves the old file as it was.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <sys/types.h>

namespace kv::formats {

// Opens an existing regular file read-only; -1 with the reason in `why` otherwise. The type
// is checked before the open, and again on the open descriptor (the open itself cannot
// block), so a file swapped for a FIFO in between is still refused.
int openRegularFile(const QString& path, QString* why);

// Reads a whole regular file of at most `limit` bytes into `out`; false with the reason in
// `why` otherwise ("not a regular file", "larger than N bytes", the system's reason).
bool readRegularFile(const QString& path, qint64 limit, QByteArray* out, QString* why);
// Whether a reason from readRegularFile says the file was over its limit.
bool isTooLarge(const QString& why);

// A read-only memory map of a regular file, guarded against the file being cut short while
// it is mapped (the lost pages read as zeros; see MappingGuard.h).
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // `why` gets the reason alone ("not a regular file", "No such file or directory").
    bool open(const QString& path, QString* why);
    const uint8_t* data() const { return m_data; }
    uint64_t size() const { return m_size; }
    // Whether pages were lost since the open: a read past the file's new end faulted, or the
    // file is now shorter than when it was mapped.
    bool cutShort() const;

private:
    int m_fd = -1;
    const uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
};

// A file written whole or not at all. The target must be a regular file or not exist; a
// FIFO, a device or a folder in its place is refused, never replaced. A new file gets the
// usual mode (0666 less the umask); a replaced file keeps its mode.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile(); // removes the unfinished file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Errors read "cannot write PATH: reason".
    bool open(QString* error);
    bool write(const void* data, size_t size);
    bool writeAt(uint64_t offset, const void* data, size_t size);
    // Flushes to the disk and puts the file in place of the target.
    bool commit(QString* error);
    QString path() const { return m_path; }

private:
    bool fail(QString* error, const QString& why);

    QString m_path;   // as given
    QString m_target; // the file that gets replaced (a symbolic link's target)
    QString m_temp;
    int m_fd = -1;
    int m_errno = 0; // the first write error
};

// A file without a name in a folder, for data too large to hold while it is worked on:
// written in order and read back by offset. It vanishes when closed, or when the process
// ends however it ends, so nothing is left to clean up.
class ScratchFile {
public:
    ScratchFile() = default;
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Errors read "cannot write a scratch file in DIR: reason".
    bool open(const QString& dir, QString* error);
    bool append(const void* data, size_t size, QString* error);
    // Exactly `size` bytes from `offset` (a short file is an error).
    bool read(uint64_t offset, void* data, size_t size, QString* error) const;
    uint64_t size() const { return m_size; }

private:
    bool fail(QString* error, const QString& why) const;

    QString m_dir;
    int m_fd = -1;
    uint64_t m_size = 0;
};

} // namespace kv::formats
