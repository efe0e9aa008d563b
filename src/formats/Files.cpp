#include "formats/Files.h"

#include "formats/MappingGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::formats {

namespace {

QString errnoText(int e) {
    return QString::fromLocal8Bit(std::strerror(e));
}

QString largerThan(qint64 limit) {
    return QStringLiteral("larger than %1 bytes").arg(limit);
}

QString notRegular() {
    return QStringLiteral("not a regular file");
}

bool writeAll(int fd, const char* p, size_t size, off_t* at) {
    while (size > 0) {
        const ssize_t n = at ? ::pwrite(fd, p, size, *at) : ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= size_t(n);
        if (at) *at += n;
    }
    return true;
}

} // namespace

int openRegularFile(const QString& path, QString* why) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
        if (why) *why = errnoText(name.isEmpty() ? ENOENT : errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        if (why) *why = notRegular();
        return -1;
    }
    // O_NONBLOCK: should a FIFO take the file's place after the check, the open returns at
    // once instead of waiting for a writer, and the type check below refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (why) *why = errnoText(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (why) *why = notRegular();
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool readRegularFile(const QString& path, qint64 limit, QByteArray* out, QString* why) {
    out->clear();
    const int fd = openRegularFile(path, why);
    if (fd < 0) return false;
    struct stat st;
    const bool sized = ::fstat(fd, &st) == 0;
    if (!sized || st.st_size > limit) {
        ::close(fd);
        if (why) *why = sized ? largerThan(limit) : errnoText(errno);
        return false;
    }
    // The size is only a hint: the file may grow or shrink while it is read.
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) break;
            bytes.resize(qMin<qint64>(limit + 1, qint64(used) * 2 + 4096));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            if (why) *why = errnoText(e);
            return false;
        }
        if (n == 0) break;
        used += n;
    }
    ::close(fd);
    if (used > limit) {
        if (why) *why = largerThan(limit);
        return false;
    }
    bytes.truncate(used);
    *out = std::move(bytes);
    return true;
}

bool isTooLarge(const QString& why) {
    return why.startsWith(QLatin1String("larger than "));
}

// ---- MappedFile ----

MappedFile::~MappedFile() {
    if (m_data) {
        unguardMapping(m_data);
        ::munmap(const_cast<uint8_t*>(m_data), size_t(m_size));
    }
    if (m_fd >= 0) ::close(m_fd);
}

bool MappedFile::open(const QString& path, QString* why) {
    m_fd = openRegularFile(path, why);
    if (m_fd < 0) return false;
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        if (why) *why = errnoText(errno);
        return false;
    }
    m_size = uint64_t(st.st_size);
    if (m_size == 0) return true;
    void* p = ::mmap(nullptr, size_t(m_size), PROT_READ, MAP_SHARED, m_fd, 0);
    if (p == MAP_FAILED) {
        if (why) *why = errnoText(errno);
        m_size = 0;
        return false;
    }
    m_data = static_cast<const uint8_t*>(p);
    guardMapping(m_data, m_size);
    return true;
}

bool MappedFile::cutShort() const {
    if (m_data && mappingFaulted(m_data)) return true;
    struct stat st;
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && uint64_t(st.st_size) < m_size;
}

// ---- AtomicFile ----

AtomicFile::AtomicFile(QString path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_temp.isEmpty()) ::unlink(QFile::encodeName(m_temp).constData());
}

bool AtomicFile::fail(QString* error, const QString& why) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(m_path, why);
    return false;
}

bool AtomicFile::open(QString* error) {
    // Writing through a symbolic link replaces the file it points to, not the link.
    m_target = m_path;
    const QFileInfo link(m_path);
    if (link.isSymLink()) {
        const QString resolved = link.canonicalFilePath();
        m_target = resolved.isEmpty() ? link.symLinkTarget() : resolved;
    }
    struct stat st;
    const bool exists = ::stat(QFile::encodeName(m_target).constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return fail(error, QStringLiteral("it exists and is not a regular file"));

    const QFileInfo target(m_target);
    const QString dir = target.absolutePath();
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp =
            QDir(dir).filePath(QStringLiteral(".%1.%2")
                                   .arg(target.fileName())
                                   .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFull,
                                        10, 36, QLatin1Char('0')));
        // 0666: the process's umask decides, as for any file the user makes.
        m_fd = ::open(QFile::encodeName(m_temp).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        const int e = errno;
        m_temp.clear();
        return fail(error, errnoText(e));
    }
    if (exists) ::fchmod(m_fd, st.st_mode & 07777);
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (m_fd < 0 || m_errno) return false;
    if (!writeAll(m_fd, static_cast<const char*>(data), size, nullptr)) m_errno = errno;
    return m_errno == 0;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size) {
    if (m_fd < 0 || m_errno) return false;
    off_t at = off_t(offset);
    if (!writeAll(m_fd, static_cast<const char*>(data), size, &at)) m_errno = errno;
    return m_errno == 0;
}

bool AtomicFile::commit(QString* error) {
    if (m_fd < 0) return fail(error, QStringLiteral("the file is not open"));
    if (m_errno) return fail(error, errnoText(m_errno));
    if (::fsync(m_fd) != 0) return fail(error, errnoText(errno));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) return fail(error, errnoText(errno));
    // Something else may have appeared in the target's place while the file was written.
    struct stat st;
    const QByteArray target = QFile::encodeName(m_target);
    if (::lstat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return fail(error, QStringLiteral("it exists and is not a regular file"));
    if (::rename(QFile::encodeName(m_temp).constData(), target.constData()) != 0)
        return fail(error, errnoText(errno));
    m_temp.clear();
    // The rename itself must reach the disk for the new file to survive a crash.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

ScratchFile::~ScratchFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool ScratchFile::fail(QString* error, const QString& why) const {
    if (error) *error = QStringLiteral("cannot write a scratch file in %1: %2").arg(m_dir, why);
    return false;
}

bool ScratchFile::open(const QString& dir, QString* error) {
    m_dir = dir;
    const QByteArray name = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir);
    m_fd = ::open(name.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, unlinked at once.
        QByteArray pattern = name + "/.korvanda-scratch-XXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd >= 0) ::unlink(pattern.constData());
    }
    return m_fd >= 0 || fail(error, errnoText(errno));
}

bool ScratchFile::append(const void* data, size_t size, QString* error) {
    if (m_fd < 0) return fail(error, QStringLiteral("the file is not open"));
    off_t at = off_t(m_size);
    if (!writeAll(m_fd, static_cast<const char*>(data), size, &at))
        return fail(error, errnoText(errno));
    m_size += size;
    return true;
}

bool ScratchFile::read(uint64_t offset, void* data, size_t size, QString* error) const {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = m_fd < 0 ? -1 : ::pread(m_fd, p, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (error)
                *error = QStringLiteral("cannot read a scratch file in %1: %2")
                             .arg(m_dir, n == 0 ? QStringLiteral("it is shorter than written")
                                                : errnoText(errno));
            return false;
        }
        p += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

} // namespace kv::formats
