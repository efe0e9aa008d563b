// Opening only regular files, replacing files whole, and maps of files cut short.

#include "FormatsFixture.h"

#include "formats/Files.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

// Sets the umask for one test and puts the old one back.
class Umask {
public:
    explicit Umask(mode_t mask) : m_old(::umask(mask)) {}
    ~Umask() { ::umask(m_old); }

private:
    mode_t m_old;
};

TEST_F(FilesTest, OnlyRegularFilesAreOpenedForReading) {
    QString why;
    const int fd = formats::openRegularFile(write("a.csv", "x"), &why);
    EXPECT_GE(fd, 0) << why.toStdString();
    ::close(fd);

    // A FIFO would block the open until someone writes; it is refused at once.
    for (const QString& special : {fifo("pipe.csv"), QStringLiteral("/dev/null"), m_dir.path()}) {
        EXPECT_EQ(formats::openRegularFile(special, &why), -1) << special.toStdString();
        EXPECT_EQ(why, "not a regular file");
        formats::MappedFile map;
        EXPECT_FALSE(map.open(special, &why));
    }
    // A link to a regular file is read; a link to a FIFO is not.
    ASSERT_TRUE(QFile::link(path("a.csv"), path("link.csv")));
    ASSERT_TRUE(QFile::link(path("pipe.csv"), path("link-to-pipe.csv")));
    formats::MappedFile map;
    ASSERT_TRUE(map.open(path("link.csv"), &why));
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(formats::openRegularFile(path("link-to-pipe.csv"), &why), -1);
    EXPECT_EQ(formats::openRegularFile(path("missing.csv"), &why), -1);
    EXPECT_EQ(why, "No such file or directory");
}

TEST_F(FilesTest, AWholeFileIsReadOnlyWhenRegularAndWithinItsLimit) {
    QByteArray bytes;
    QString why;
    ASSERT_TRUE(formats::readRegularFile(write("a.ini", "12345"), 5, &bytes, &why));
    EXPECT_EQ(bytes, "12345");
    EXPECT_TRUE(formats::readRegularFile(write("empty.ini", ""), 5, &bytes, &why));
    EXPECT_TRUE(bytes.isEmpty());

    EXPECT_FALSE(formats::readRegularFile(path("a.ini"), 4, &bytes, &why));
    EXPECT_EQ(why, "larger than 4 bytes");
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(formats::readRegularFile(fifo("pipe.ini"), 100, &bytes, &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(formats::readRegularFile(path("missing.ini"), 100, &bytes, &why));
    EXPECT_EQ(why, "No such file or directory");
}

TEST_F(FilesTest, AnAtomicFileNeverReplacesASpecialFile) {
    for (const QString& target : {fifo("out.M14"), m_dir.path()}) {
        const mode_t before = modeOf(target);
        formats::AtomicFile f(target);
        QString error;
        EXPECT_FALSE(f.open(&error));
        EXPECT_EQ(error, "cannot write " + target + ": it exists and is not a regular file");
        EXPECT_EQ(modeOf(target), before) << "left exactly as it was";
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System),
              QStringList{"out.M14"})
        << "no unfinished file is left behind";
}

TEST_F(FilesTest, AnAtomicFileTakesTheUmaskOrTheReplacedFilesMode) {
    const Umask mask(027);
    QString error;
    {
        formats::AtomicFile f(path("new.M14"));
        ASSERT_TRUE(f.open(&error)) << error.toStdString();
        ASSERT_TRUE(f.write("hello", 5));
        ASSERT_TRUE(f.writeAt(0, "J", 1));
        ASSERT_TRUE(f.commit(&error)) << error.toStdString();
    }
    EXPECT_EQ(modeOf(path("new.M14")) & 07777, 0640u) << "0666 less the umask, not 0600";
    QFile back(path("new.M14"));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), "Jello");

    write("old.M14", "old");
    ASSERT_TRUE(QFile::setPermissions(path("old.M14"), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(path("old.M14"), path("link.M14")));
    {
        formats::AtomicFile f(path("link.M14"));
        ASSERT_TRUE(f.open(&error));
        ASSERT_TRUE(f.write("new", 3));
        ASSERT_TRUE(f.commit(&error)) << error.toStdString();
    }
    EXPECT_EQ(modeOf(path("old.M14")) & 07777, 0600u);
    EXPECT_TRUE(QFileInfo(path("link.M14")).isSymLink()) << "the link stays a link";
    QFile replaced(path("old.M14"));
    ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaced.readAll(), "new");

    // Given up before the commit: the old file stays and nothing else is left.
    {
        formats::AtomicFile f(path("old.M14"));
        ASSERT_TRUE(f.open(&error));
        f.write("lost", 4);
    }
    QFile kept(path("old.M14"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "new");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System).size(), 3);
}

TEST_F(FilesTest, AMapReadsZerosAndSaysSoWhenItsFileIsCutShort) {
    const auto page = size_t(::sysconf(_SC_PAGESIZE));
    write("big.csv", QByteArray(qsizetype(8 * page), 'x'));
    formats::MappedFile map;
    QString why;
    ASSERT_TRUE(map.open(path("big.csv"), &why));
    EXPECT_FALSE(map.cutShort());
    ASSERT_TRUE(QFile::resize(path("big.csv"), qint64(page)));
    EXPECT_TRUE(map.cutShort()) << "the file is shorter than its map";
    // Without the guard this read ends the program with SIGBUS.
    EXPECT_EQ(map.data()[7 * page], 0);
    EXPECT_EQ(map.data()[0], 'x');
    // Grown back to its size, the lost pages are still remembered.
    ASSERT_TRUE(QFile::resize(path("big.csv"), qint64(8 * page)));
    EXPECT_TRUE(map.cutShort());
}

} // namespace
