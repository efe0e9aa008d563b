#pragma once

// Files in a temporary folder, including the special ones readers and writers must refuse.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kv::test {

class FilesTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    // A FIFO nobody writes to: opening or reading it the usual way blocks for ever.
    QString fifo(const QString& name) {
        EXPECT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0666), 0);
        return path(name);
    }
    static mode_t modeOf(const QString& p) {
        struct stat st = {};
        ::lstat(QFile::encodeName(p).constData(), &st);
        return st.st_mode;
    }

    QTemporaryDir m_dir;
};

} // namespace kv::test
