// korvanda-title as a user runs it: numbers out of range, damaged titles and special files
// are errors with a message and a non-zero exit, never a wrong answer.

#include "TitleFixture.h"

#include "titles/engine/TitleFile.h"
#include "titles/engine/TitleFormat.h"

#include <QProcess>
#include <sys/stat.h>

using namespace kv;
using namespace kv::test;

namespace {

struct ToolRun {
    int exit = -1;
    QString out, err;
};

ToolRun tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KV_APP_DIR "/korvanda-title"), args);
    p.closeWriteChannel();
    ToolRun r;
    if (!p.waitForFinished(-1)) return r;
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class ToolTest : public TitleTest {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(title::writeDemoSource(m_dir.path(), 10, 4, &error));
        ASSERT_TRUE(title::compileCatalogue(m_dir.path(), path("Music.M14"), &error));
        QFile f(path("Music.M14"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        bytes = f.readAll();
    }
    // The offset of a section in the compiled title.
    qsizetype section(uint32_t tag, uint32_t index) const {
        const auto* d = reinterpret_cast<const uint8_t*>(bytes.constData());
        const uint64_t dir = title::rd64(d + 24);
        for (uint32_t i = 0; i < title::rd32(d + 12); ++i) {
            const uint8_t* e = d + dir + 24 * i;
            if (title::rd32(e) == tag && title::rd32(e + 4) == index)
                return qsizetype(title::rd64(e + 8));
        }
        ADD_FAILURE() << "no section";
        return 0;
    }
    void patch32(qsizetype at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(value >> (8 * i));
    }
    QByteArray bytes;
};

TEST_F(ToolTest, NumbersOutOfRangeAreErrorsNotOtherTopics) {
    const QString t = path("Music.M14");
    const ToolRun five = tool({"topic", t, "5"});
    ASSERT_EQ(five.exit, 0) << five.err.toStdString();
    // 2^32 + 5 once printed topic 5, and 2^32 the contents.
    for (const char* n : {"4294967301", "4294967296", "2147483648", "99999999999999999999999"}) {
        const ToolRun r = tool({"topic", t, n});
        EXPECT_EQ(r.exit, 1) << n;
        EXPECT_EQ(r.out, "") << n;
        EXPECT_TRUE(r.err.contains(
            QStringLiteral("ADDRESS must be a number from 0 to 2147483647: %1").arg(n)))
            << r.err.toStdString();
    }
    EXPECT_EQ(tool({"topic", t, "-1"}).exit, 1);

    EXPECT_EQ(tool({"keywords", t, "7", "0", "2"}).out.count('\n'), 2);
    for (const QStringList& args :
         {QStringList{"keywords", t, "7", "4294967296"}, QStringList{"keywords", t, "7", "100000"},
          QStringList{"keywords", t, "7", "0", "4294967298"},
          QStringList{"keywords", t, "7", "0", "-2"}}) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exit, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("must be a number from 0 to")) << r.err.toStdString();
    }
    for (const QStringList& demo :
         {QStringList{"demo", path("d"), "--artists", "4294967301"},
          QStringList{"demo", path("d"), "--artists", "2"},
          QStringList{"demo", path("d"), "--seed", "-1"},
          QStringList{"demo", path("d"), "--seed", "18446744073709551616"}}) {
        const ToolRun r = tool(demo);
        EXPECT_EQ(r.exit, 1) << demo.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("must be a number from")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("d/artists.csv")));
    EXPECT_EQ(tool({"demo", path("d"), "--artists", "3", "--seed", "18446744073709551615"}).exit,
              0);
}

TEST_F(ToolTest, ADamagedKeywordRecordIsReportedNotPrintedEmpty) {
    const auto title = title::TitleFile::fromBytes(bytes);
    ASSERT_TRUE(title);
    const uint32_t physical = title->wheel('7')->physical;
    // Keyword 2 starts past the text: keywords 1 and 2 can no longer be read.
    patch32(section(title::kTagKeyRecords, physical) + 8 * 2, 0xFFFFFFF0u);
    writeFile(path("Damaged.M14"), bytes);

    const ToolRun list = tool({"keywords", path("Damaged.M14"), "7"});
    EXPECT_EQ(list.exit, 1);
    EXPECT_TRUE(list.out.startsWith("0\t")) << "what was read stays printed";
    EXPECT_EQ(list.out.count('\n'), 1);
    EXPECT_TRUE(list.err.contains("Damaged.M14 is damaged: the keyword at position 1 of wheel |7"))
        << list.err.toStdString();
    const ToolRun search = tool({"search", path("Damaged.M14"), "7", "*"});
    EXPECT_EQ(search.exit, 1);
    EXPECT_TRUE(search.err.contains("is damaged")) << search.err.toStdString();
    EXPECT_FALSE(search.out.contains("\t\n")) << "no empty keyword lines";
}

TEST_F(ToolTest, ADamagedTopicIsReportedByTopics) {
    const auto title = title::TitleFile::fromBytes(bytes);
    ASSERT_TRUE(title);
    std::string_view keyword;
    const title::KeywordIndex* k = title->keywords(title->wheel('2')->physical);
    ASSERT_TRUE(k->display(0, keyword));
    const uint8_t* addrs;
    uint32_t count;
    ASSERT_TRUE(k->topics(0, addrs, count));
    ASSERT_GT(count, 0u);
    // The topic's record now ends before it starts.
    const qsizetype at = section(title::kTagTopicIndex, 0) + 8 * qsizetype(title::rd32(addrs));
    patch32(at, 0xFFFFFFFFu);
    patch32(at + 4, 0xFFFFu);
    writeFile(path("Damaged.M14"), bytes);
    const ToolRun r =
        tool({"topics", path("Damaged.M14"), "2", QString::fromStdString(std::string(keyword))});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains("cannot be read")) << r.err.toStdString();
}

TEST_F(ToolTest, FifosAreRefusedAndLeftAlone) {
    const QString pipe = path("pipe.M14");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    const ToolRun info = tool({"info", pipe});
    EXPECT_EQ(info.exit, 1);
    EXPECT_TRUE(info.err.contains("not a regular file")) << info.err.toStdString();
    const ToolRun build = tool({"build", "catalogue", m_dir.path(), pipe});
    EXPECT_EQ(build.exit, 1);
    EXPECT_TRUE(build.err.contains("it exists and is not a regular file"))
        << build.err.toStdString();
    struct stat st = {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(ToolTest, TheMemoryBudgetIsCheckedAndChangesNothingInTheTitle) {
    for (const char* bad : {"0", "-5", "lots", "1048577"}) {
        const ToolRun r = tool({"build", "catalogue", m_dir.path(), path("B.M14"), "--memory", bad});
        EXPECT_EQ(r.exit, 1) << bad;
        EXPECT_EQ(r.err, QStringLiteral("korvanda-title: --memory must be a number from 1 to "
                                        "1048576: %1\n")
                             .arg(bad));
    }
    EXPECT_EQ(tool({"build", "catalogue", m_dir.path(), path("B.M14"), "--memory"}).exit, 1);
    EXPECT_FALSE(QFile::exists(path("B.M14")));

    QDir(m_dir.path()).mkdir("scratch");
    const ToolRun r = tool({"build", "catalogue", m_dir.path(), path("B.M14"), "--memory", "1",
                            "--scratch", path("scratch")});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << "no progress lines when not on a terminal";
    QFile f(path("B.M14"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == bytes);
}

} // namespace
