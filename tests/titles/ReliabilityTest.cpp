// The compiler and the title reader against special files, over-long fields and characters
// that would break a line or reorder text.

#include "TitleFixture.h"

#include "titles/engine/Fold.h"
#include "titles/engine/TitleFile.h"

#include <sys/stat.h>

using namespace kv;
using namespace kv::test;

namespace {

const QByteArray kArtists = "artist_id,name,sort_name,compilation\n";
const QByteArray kRecordings = "album_id,title,artist_id,year,genre\n";
const QByteArray kReleases = "album_id,catalogue_number,label,release_date,deleted_date,medium\n";
const QByteArray kTracks = "album_id,disc,number,title,duration,artist_id\n";

class ReliabilityTest : public TitleTest {
protected:
    void SetUp() override {
        writeFile(path("artists.csv"), kArtists + "1,Artist,,0\n");
        writeFile(path("recordings.csv"), kRecordings + "5,Album,1,,\n");
        writeFile(path("releases.csv"), kReleases);
        writeFile(path("tracks.csv"), kTracks + "5,1,1,Track,,\n");
    }
    QString fifo(const QString& name) {
        QFile::remove(path(name));
        EXPECT_EQ(::mkfifo(QFile::encodeName(path(name)).constData(), 0644), 0);
        return path(name);
    }
    static bool isFifo(const QString& p) {
        struct stat st = {};
        return ::lstat(QFile::encodeName(p).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
    }
    // The compiler's message without the folder.
    QString compileError() {
        QString error;
        EXPECT_FALSE(title::compileCatalogue(m_dir.path(), path("out.M14"), &error));
        return error.mid(m_dir.path().size() + 1);
    }
};

TEST_F(ReliabilityTest, SpecialFilesAreRefusedWithoutWaitingOrReplacingThem) {
    // A FIFO as a source would block the build until someone wrote to it.
    fifo("tracks.csv");
    EXPECT_EQ(compileError(), "tracks.csv: cannot open: not a regular file");
    ASSERT_TRUE(QFile::remove(path("tracks.csv")));
    writeFile(path("tracks.csv"), kTracks);

    // ... and as the output, it would be replaced by the title.
    const QString out = fifo("Music.M14");
    QString error;
    EXPECT_FALSE(title::compileCatalogue(m_dir.path(), out, &error));
    EXPECT_EQ(error, "cannot write " + out + ": it exists and is not a regular file");
    EXPECT_TRUE(isFifo(out));

    // As a title it would block the program on the open.
    EXPECT_EQ(hMVTitleOpen(out), 0);
    EXPECT_EQ(strMVLastError(), "Cannot open " + out + ": not a regular file");
    EXPECT_EQ(hMVTitleOpen(m_dir.path()), 0);
}

TEST_F(ReliabilityTest, ANewTitleTakesTheUsualFileMode) {
    const mode_t old = ::umask(022);
    QString error;
    const bool ok = title::compileCatalogue(m_dir.path(), path("Music.M14"), &error);
    ::umask(old);
    ASSERT_TRUE(ok) << error.toStdString();
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(path("Music.M14")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    open(path("Music.M14"));
}

TEST_F(ReliabilityTest, KeywordFieldsPastTheLimitNameFileAndLine) {
    const QByteArray big(70000, 'x');
    writeFile(path("artists.csv"), kArtists + "1,Artist,,0\n2,\"" + big + "\",,0\n");
    EXPECT_EQ(compileError(), "artists.csv:3: name is longer than 65535 bytes");
    writeFile(path("artists.csv"), kArtists + "1,Artist," + big + ",0\n");
    EXPECT_EQ(compileError(), "artists.csv:2: sort_name is longer than 65535 bytes");

    // Short enough as typed, but its folded form (which the wheel keeps too) is not.
    QByteArray ligatures;
    for (int i = 0; i < 6000; ++i)
        ligatures += "\xEF\xB7\xBA"; // U+FDFA, eleven times longer folded
    writeFile(path("artists.csv"), kArtists + "1,Artist,,0\n");
    writeFile(path("tracks.csv"), kTracks + "5,1,1,Track,,\n5,1,2," + ligatures + ",,\n");
    EXPECT_EQ(compileError(), "tracks.csv:3: title is longer than 65535 bytes once folded");

    // At the limit it is a keyword like any other.
    writeFile(path("tracks.csv"), kTracks + "5,1,1," + QByteArray(65535, 'y') + ",,\n");
    QString error;
    EXPECT_TRUE(title::compileCatalogue(m_dir.path(), path("out.M14"), &error))
        << error.toStdString();
}

TEST_F(ReliabilityTest, LineSeparatorsAndBidiControlsAreRefused) {
    struct Case {
        QByteArray title;
        QString reason;
    } cases[] = {
        {"Next\xC2\x85Line", "title contains a control character (U+0085)"},
        {"Line\xE2\x80\xA8Sep", "title contains a line or paragraph separator (U+2028)"},
        {"Para\xE2\x80\xA9Sep", "title contains a line or paragraph separator (U+2029)"},
        {"Evil\xE2\x80\xAEtxt.exe", "title contains a bidirectional control (U+202E)"},
        {"Iso\xE2\x81\xA7late", "title contains a bidirectional control (U+2067)"},
    };
    for (const Case& c : cases) {
        writeFile(path("recordings.csv"), kRecordings + "5,Fine,1,,\n6,\"" + c.title + "\",1,,\n");
        EXPECT_EQ(compileError(), "recordings.csv:3: " + c.reason);
    }
}

TEST(FoldGrowth, NoCharacterFoldsLongerThanTheBoundTheCompilerTrusts) {
    size_t worst = 0;
    std::string utf8;
    for (char32_t c = 0x80; c < 0x110000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        utf8.clear();
        if (c < 0x800) {
            utf8 += char(0xC0 | c >> 6);
        } else if (c < 0x10000) {
            utf8 += char(0xE0 | c >> 12);
            utf8 += char(0x80 | (c >> 6 & 0x3F));
        } else {
            utf8 += char(0xF0 | c >> 18);
            utf8 += char(0x80 | (c >> 12 & 0x3F));
            utf8 += char(0x80 | (c >> 6 & 0x3F));
        }
        utf8 += char(0x80 | (c & 0x3F));
        const size_t folded = title::foldUtf8(utf8).size();
        worst = std::max(worst, (folded + utf8.size() - 1) / utf8.size());
    }
    EXPECT_EQ(worst, title::kMaxFoldGrowth) << "the bound is tight: U+FDFA reaches it";
}

} // namespace
