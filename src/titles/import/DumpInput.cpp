#include "titles/import/DumpInput.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace kv::titleimport {

namespace {

constexpr size_t kInputBuffer = 1 << 20;

bool isGzipMagic(const unsigned char* p) {
    return p[0] == 0x1F && p[1] == 0x8B;
}

} // namespace

DumpInput::DumpInput() = default;

DumpInput::~DumpInput() {
    if (m_z) inflateEnd(m_z.get());
    if (m_ownsFd && m_fd >= 0) ::close(m_fd);
}

bool DumpInput::open(const QString& path) {
    m_name = path;
    if (path == u"-") {
        m_fd = 0;
    } else {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            m_error = QStringLiteral("%1: cannot open: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        m_ownsFd = true;
    }
    struct stat st {};
    if (fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        m_error = QStringLiteral("%1: is a folder, not a dump file").arg(path);
        return false;
    }
    if (fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode)) {
        m_fileSize = uint64_t(st.st_size);
        posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    m_in.resize(kInputBuffer);
    while (m_inEnd < 2 && !m_fileEnded)
        if (fill() < 0) return false;
    m_gzip = m_inEnd >= 2 && isGzipMagic(m_in.data());
    if (m_gzip) {
        m_z = std::make_unique<z_stream_s>();
        std::memset(m_z.get(), 0, sizeof(z_stream_s));
        if (inflateInit2(m_z.get(), 16 + MAX_WBITS) != Z_OK) {
            m_error = QStringLiteral("%1: cannot start the decompressor").arg(path);
            return false;
        }
    }
    return true;
}

void DumpInput::openBytes(const QString& name, std::string bytes) {
    m_name = name;
    m_memory = std::move(bytes);
    m_fromMemory = true;
    m_fileSize = m_memory.size();
    m_gzip = m_memory.size() >= 2 &&
             isGzipMagic(reinterpret_cast<const unsigned char*>(m_memory.data()));
    if (m_gzip) {
        m_in.resize(std::min(kInputBuffer, m_memory.size()));
        m_z = std::make_unique<z_stream_s>();
        std::memset(m_z.get(), 0, sizeof(z_stream_s));
        if (inflateInit2(m_z.get(), 16 + MAX_WBITS) != Z_OK)
            m_error = QStringLiteral("%1: cannot start the decompressor").arg(name);
    }
}

// read(2) on the file, again when a signal interrupts it; an error names the byte offset.
int64_t DumpInput::readFile(void* out, size_t capacity, uint64_t offset) {
    for (;;) {
        const ssize_t n = ::read(m_fd, out, capacity);
        if (n >= 0) return n;
        if (errno != EINTR)
            return fail(QStringLiteral("cannot read at byte %1: %2")
                            .arg(offset)
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
}

int64_t DumpInput::fail(const QString& message) {
    m_error = m_name + QStringLiteral(": ") + message;
    return -1;
}

// Tops up m_in from the file: the bytes read, 0 at its end, -1 on an error.
int64_t DumpInput::fill() {
    if (m_inBegin > 0) {
        std::memmove(m_in.data(), m_in.data() + m_inBegin, m_inEnd - m_inBegin);
        m_inEnd -= m_inBegin;
        m_inBegin = 0;
    }
    const size_t room = m_in.size() - m_inEnd;
    if (room == 0 || m_fileEnded) return 0;
    if (m_fromMemory) {
        const size_t n = std::min(room, m_memory.size() - m_memoryPos);
        std::memcpy(m_in.data() + m_inEnd, m_memory.data() + m_memoryPos, n);
        m_memoryPos += n;
        m_inEnd += n;
        m_fileRead += n;
        if (n == 0) m_fileEnded = true;
        return int64_t(n);
    }
    const int64_t n = readFile(m_in.data() + m_inEnd, room, m_fileRead);
    if (n == 0) m_fileEnded = true;
    if (n > 0) {
        m_inEnd += size_t(n);
        m_fileRead += uint64_t(n);
    }
    return n;
}

int64_t DumpInput::read(char* out, size_t capacity) {
    if (!m_error.isEmpty()) return -1;
    if (capacity == 0) return 0;
    const int64_t n = m_gzip ? readGzip(out, capacity) : readPlain(out, capacity);
    if (n > 0) m_produced += uint64_t(n);
    return n;
}

int64_t DumpInput::readPlain(char* out, size_t capacity) {
    // The bytes looked at to tell the format come first.
    if (m_inBegin < m_inEnd) {
        const size_t n = std::min(capacity, m_inEnd - m_inBegin);
        std::memcpy(out, m_in.data() + m_inBegin, n);
        m_inBegin += n;
        m_fileConsumed += n;
        return int64_t(n);
    }
    if (m_fileEnded) return 0;
    if (m_fromMemory) {
        const size_t n = std::min(capacity, m_memory.size() - m_memoryPos);
        std::memcpy(out, m_memory.data() + m_memoryPos, n);
        m_memoryPos += n;
        m_fileConsumed += n;
        if (n == 0) m_fileEnded = true;
        return int64_t(n);
    }
    const int64_t n = readFile(out, capacity, m_fileConsumed);
    if (n == 0) m_fileEnded = true;
    if (n > 0) m_fileConsumed += uint64_t(n);
    return n;
}

int64_t DumpInput::readGzip(char* out, size_t capacity) {
    z_stream_s& z = *m_z;
    for (;;) {
        if (m_inBegin == m_inEnd && !m_fileEnded && fill() < 0) return -1;
        if (m_memberEnded) {
            // Another member may follow (concatenated gzip files decompress as one); zero
            // bytes padding the end of a file are tolerated, anything else is not ours.
            while (m_inEnd - m_inBegin < 2 && !m_fileEnded)
                if (fill() < 0) return -1;
            if (m_inBegin == m_inEnd) return 0;
            if (m_inEnd - m_inBegin >= 2 && isGzipMagic(m_in.data() + m_inBegin)) {
                inflateReset(&z);
                m_memberEnded = false;
                continue;
            }
            for (;;) {
                for (size_t i = m_inBegin; i < m_inEnd; ++i)
                    if (m_in[i] != 0)
                        return fail(QStringLiteral("unexpected data after the end of the "
                                                   "compressed data, at byte %1")
                                        .arg(m_fileConsumed + (i - m_inBegin)));
                m_fileConsumed += m_inEnd - m_inBegin;
                m_inBegin = m_inEnd;
                if (m_fileEnded) return 0;
                if (fill() < 0) return -1;
            }
        }
        z.next_in = m_in.data() + m_inBegin;
        z.avail_in = uInt(m_inEnd - m_inBegin);
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = uInt(std::min<size_t>(capacity, 1u << 30));
        const uInt inBefore = z.avail_in, outBefore = z.avail_out;
        const int rc = inflate(&z, Z_NO_FLUSH);
        const size_t used = inBefore - z.avail_in;
        const size_t made = outBefore - z.avail_out;
        m_inBegin += used;
        m_fileConsumed += used;
        if (rc == Z_STREAM_END) {
            m_memberEnded = true;
            if (made > 0) return int64_t(made);
            continue;
        }
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT)
            return fail(QStringLiteral("the compressed data is damaged at byte %1 (%2)")
                            .arg(m_fileConsumed)
                            .arg(QString::fromLatin1(z.msg ? z.msg : "bad data")));
        if (rc == Z_MEM_ERROR) return fail(QStringLiteral("out of memory while decompressing"));
        if (made > 0) return int64_t(made);
        if (used == 0 && !m_fileEnded && fill() < 0) return -1;
        if (used == 0 && m_fileEnded)
            return fail(QStringLiteral("the compressed data ends early, at byte %1 of the "
                                       "file: it is incomplete")
                            .arg(m_fileConsumed));
    }
}

} // namespace kv::titleimport
