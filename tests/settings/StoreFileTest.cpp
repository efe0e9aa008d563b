// The store file as the outside world may leave it: a FIFO, a file far too large, a file
// read behind the program's back. Reads and writes are counted with inotify on the real
// file, not inside the store.

#include "fakes/Fakes.h"
#include "fakes/FifoRelease.h"
#include "fakes/TempSettings.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using kv::test::FifoRelease;

namespace {

// Counts what happens to one name in a folder: opens (a parse opens the file) and new
// versions put in place (a write renames or links a whole new file over the name).
class FileEvents {
public:
    FileEvents(const QString& folder, const QString& name) : m_name(QFile::encodeName(name)) {
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                          IN_OPEN | IN_MOVED_TO | IN_CREATE);
    }
    ~FileEvents() { ::close(m_fd); }
    FileEvents(const FileEvents&) = delete;
    FileEvents& operator=(const FileEvents&) = delete;

    struct Counts {
        int opens = 0;
        int writes = 0;
    };
    // What happened since the last call.
    Counts take() {
        Counts c;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len > 0 && m_name == e->name) {
                    if (e->mask & IN_OPEN) ++c.opens;
                    if (e->mask & (IN_MOVED_TO | IN_CREATE)) ++c.writes;
                }
                p += sizeof(inotify_event) + e->len;
            }
        }
        return c;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
};

// What a start leaves in the store: every option at its default and the data files.
const QByteArray kUsualStore = "[File%20Locations]\n"
                               "Database=/home/u/.local/share/TALV_Ltd/Korvanda/KORDB.MDB\n"
                               "\n[Options]\nSystemDB32=/opt/korvanda/KORDB.MDW\n"
                               "\n[Program%20Options]\n"
                               "Album%20Auto%20Search=True\nAlbum%20Quick%20Search=False\n"
                               "Artist%20Auto%20Search=True\nArtist%20Quick%20Search=True\n"
                               "Browser%20Name=\nBrowser%20Path=\nCollection%20Tips=False\n"
                               "Confirm%20Delete=True\nInclude%20Compilations=False\n"
                               "Play%20Intro=True\nQuick%20Add=True\nTool%20Tips=True\n"
                               "Track%20Auto%20Search=False\nTrack%20Quick%20Search=False\n";

// Other sections, up to the given size in all.
QByteArray filledTo(QByteArray text, qint64 size) {
    for (int section = 0; text.size() < size; ++section) {
        text += "\n[Recent" + QByteArray::number(section) + "]\n";
        for (int k = 0; k < 50 && text.size() < size; ++k)
            text += "Entry" + QByteArray::number(k) + "=/home/u/Music/some album\n";
    }
    if (text.size() > size) {
        text.truncate(size - 1);
        text += '\n';
    }
    return text;
}

class StoreFileTest : public ::testing::Test {
protected:
    StoreFileTest() { QDir().mkpath(folder()); }
    QString folder() const { return QFileInfo(store.file()).path(); }
    void write(const QByteArray& text) {
        QFile f(store.file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(text), text.size());
    }
    // As a new process finds the store: nothing read before is kept.
    void newProcess() { settings::setStoreFolder(store.folder()); }
    // The reads of a start: the options, then the data files.
    void startUpReads() {
        ASSERT_TRUE(bInit_Options());
        GetSetting_Str(kSectionOptions, QStringLiteral("SystemDB32"),
                       QStringLiteral("/opt/korvanda/KORDB.MDW"));
        GetSetting_Str(kSectionFileLocations, QStringLiteral("Database"),
                       QStringLiteral("/opt/korvanda/KORDB.MDB"));
        GetSetting_Str(kSectionFileLocations, QStringLiteral("Music.M14"),
                       QStringLiteral("/opt/korvanda/Music.M14"));
    }

    test::TestContext tc;
    test::TempSettings store;
};

TEST_F(StoreFileTest, AStartParsesTheFileOnceAndWritesOnlyWhatChanged) {
    // A store near the size limit, holding every option at its default.
    write(filledTo(kUsualStore + "\n[File%20Locations]\nMusic.M14=/opt/korvanda/Music.M14\n",
                   settings::kMaxStoreFileSize - 1000));
    newProcess();
    FileEvents events(folder(), QFileInfo(store.file()).fileName());
    startUpReads();
    FileEvents::Counts c = events.take();
    EXPECT_LE(c.opens, 1);
    EXPECT_EQ(c.writes, 0);
    EXPECT_TRUE(tc.messages.boxes.empty());

    // Every option missing and one that does not convert: their defaults go back in one write.
    write(filledTo("[Program%20Options]\nQuick%20Add=yes\n", 200000));
    newProcess();
    events.take();
    ASSERT_TRUE(bInit_Options());
    c = events.take();
    EXPECT_LE(c.opens, 1);
    EXPECT_EQ(c.writes, 1);
    EXPECT_EQ(store.keys(kSectionProgramOptions).size(), 14);
    EXPECT_EQ(store.value(kSectionProgramOptions, "Quick Add"), "True");

    // The next start finds nothing to write.
    newProcess();
    events.take();
    ASSERT_TRUE(bInit_Options());
    c = events.take();
    EXPECT_LE(c.opens, 1);
    EXPECT_EQ(c.writes, 0);

    // A change behind the program's back is read; the store does not keep the old text.
    write(kUsualStore + "[Program%20Options]\nQuick%20Add=False\n");
    EXPECT_FALSE(GetSetting_Bool(kSectionProgramOptions, "Quick Add", true));
}

TEST_F(StoreFileTest, AFifoIsSetAsideWithoutBeingOpened) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(store.file()).constData(), 0600), 0);
    {
        FifoRelease release(store.file());
        ctx().options.bQuickAdd = false;
        EXPECT_TRUE(bInit_Options());
        EXPECT_FALSE(release.released()) << "the store blocked on the FIFO";
    }
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.contains("could not be read"));
    struct stat st;
    ASSERT_EQ(::lstat(QFile::encodeName(store.file() + ".damaged").constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // The defaults are used and now stored in a regular file.
    EXPECT_TRUE(ctx().options.bQuickAdd);
    EXPECT_TRUE(QFileInfo(store.file()).isFile());
    EXPECT_EQ(store.value(kSectionProgramOptions, "Quick Add"), "True");
}

TEST_F(StoreFileTest, AFileOverTheSizeLimitIsSetAsideWhole) {
    const QByteArray head = "[Program%20Options]\nQuick%20Add=False\n";
    // Exactly at the limit the file is read.
    write(filledTo(head, settings::kMaxStoreFileSize));
    newProcess();
    ASSERT_TRUE(bInit_Options());
    EXPECT_FALSE(ctx().options.bQuickAdd);
    EXPECT_TRUE(tc.messages.boxes.empty());

    const QByteArray big = filledTo(head, settings::kMaxStoreFileSize + 1);
    write(big);
    newProcess();
    ASSERT_TRUE(bInit_Options());
    EXPECT_TRUE(ctx().options.bQuickAdd);
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.contains("could not be read"));
    EXPECT_EQ(tc.messages.last().icon, mb::Exclamation);
    QFile aside(store.file() + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), big);
}

TEST_F(StoreFileTest, AWriteThatWouldOutgrowTheLimitFailsAndLeavesTheStoreReadable) {
    ASSERT_TRUE(SaveSetting_Str(kSectionProgramOptions, "Browser Path", "/usr/bin/firefox"));
    EXPECT_FALSE(SaveSetting_Str(kSectionProgramOptions, "Browser Name",
                                 QString(int(settings::kMaxStoreFileSize), QChar('x'))));
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.startsWith("Error: 75 "));

    newProcess();
    EXPECT_EQ(GetSetting_Str(kSectionProgramOptions, "Browser Path", ""), "/usr/bin/firefox");
    EXPECT_EQ(tc.messages.boxes.size(), 1u); // nothing set aside
}

} // namespace
