#include "db/Files.h"

#include "formats/Files.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::db {

namespace {

QString kindOf(mode_t mode) {
    if (S_ISREG(mode)) return QString();
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("no regular file");
}

} // namespace

QString notRegularFile(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QString();
    return kindOf(st.st_mode);
}

ReadProblem readRegularFile(const QString& path, qint64 maxBytes, QByteArray& data) {
    data.clear();
    if (path.startsWith(u':')) { // built into the program: in memory, never a FIFO
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly)) return ReadProblem::Missing;
        if (resource.size() > maxBytes) return ReadProblem::TooLarge;
        data = resource.readAll();
        return ReadProblem::None;
    }
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadProblem::Missing : ReadProblem::Unreadable;
    if (!S_ISREG(st.st_mode)) return ReadProblem::NotRegular;
    QString why;
    if (formats::readRegularFile(path, maxBytes, &data, &why)) return ReadProblem::None;
    // Gone, unreadable, grown past the limit, or replaced by something else since the check.
    if (formats::isTooLarge(why)) return ReadProblem::TooLarge;
    if (!QFileInfo::exists(path)) return ReadProblem::Missing;
    return notRegularFile(path).isEmpty() ? ReadProblem::Unreadable : ReadProblem::NotRegular;
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool replaceFile(const QString& from, const QString& to) {
    // rename(2) replaces the target in one step; QFile::rename would remove it first.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    syncFolder(QFileInfo(to).absolutePath());
    return true;
}

} // namespace kv::db
