// A collection written to a file: the text file byte for byte, CSV and the web page read
// back with independent parsers, and a write that fails half way.

#include "PrintFixture.h"

#include "fakes/Fakes.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

class ListFileTest : public ListDbTest {
protected:
    QString out(const QString& name) const { return dir.filePath(name); }
    TestContext t;
};

TEST_F(ListFileTest, TextFileHasTheLinesTabsAndLineEndsOfEachEntry) {
    const QString file = out(QStringLiteral("vinyl.txt"));
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, listOf(5), jobFor(5, true, true)));
    EXPECT_EQ(fileBytes(file), kFullText);

    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, listOf(5), jobFor(5, false, false)));
    EXPECT_EQ(fileBytes(file), kTitlesText);

    // The not-in-print line belongs to the recording details; custom details alone keep
    // the user fields and notes.
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, listOf(5), jobFor(5, false, true)));
    const QByteArray custom = fileBytes(file);
    EXPECT_FALSE(custom.contains("no longer in print"));
    EXPECT_TRUE(custom.startsWith("Afterglow  (Orla Venn)\r\nCondition\r\nWorn\r\nBought at\r\nFair\r\n\r\n"
                                  "Field Recordings\r\n\r\n"));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ListFileTest, EmptyCollectionGivesAnEmptyFileAndSelectedGivesOneEntry) {
    const QString file = out(QStringLiteral("empty.txt"));
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, listOf(6), jobFor(6, true, true)));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(fileBytes(file), QByteArray());

    Recordset rs = listOf(5);
    rs.MoveNext();
    rs.MoveNext(); // Night Harbour
    ListPrintJob job = jobFor(5, false, true);
    job.bSelectedOnly = true;
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, rs, job));
    EXPECT_EQ(fileBytes(file), "Night Harbour  (The Lanterns)\r\nCondition\r\nMint\r\nNotes:\r\nGatefold sleeve\r\n\r\n");
    // The source stays on the row the user chose.
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), QStringLiteral("Night Harbour"));

    // Printing everything puts the source back where it stood, too.
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, rs, jobFor(5, false, false)));
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), QStringLiteral("Night Harbour"));

    // With no row selected (an empty list) there is nothing to write, and no error.
    Recordset none = listOf(6);
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Text, none, job));
    EXPECT_EQ(fileBytes(file), QByteArray());
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ListFileTest, CsvReadsBackWithQuotesCommasAndLineBreaksIntact) {
    if (!haveProgram(QStringLiteral("python3"))) GTEST_SKIP() << "python3 is not installed";
    const QString file = out(QStringLiteral("vinyl.csv"));
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Csv, listOf(5), jobFor(5, true, true)));
    EXPECT_EQ(jsonRows(readBack("csv", file).array()), kFullTable);
    // RFC 4180: CR LF between records, quotes doubled inside quoted fields.
    const QByteArray bytes = fileBytes(file);
    EXPECT_TRUE(bytes.startsWith("Title,Artist,Catalogue Number,Format,Release Date,In Print,Condition,Bought at,Notes\r\n"));
    EXPECT_TRUE(bytes.contains("\"Say \"\"Hello\"\", Goodbye\""));

    ASSERT_TRUE(writeListFile(file, ListFileFormat::Csv, listOf(5), jobFor(5, false, false)));
    const auto titles = jsonRows(readBack("csv", file).array());
    ASSERT_EQ(titles.size(), 5u);
    EXPECT_EQ(titles[0], QStringList({"Title", "Artist"}));
    EXPECT_EQ(titles[4], QStringList({"Say \"Hello\", Goodbye", "Mira Kade"}));

    ASSERT_TRUE(writeListFile(file, ListFileFormat::Csv, listOf(6), jobFor(6, true, false)));
    EXPECT_EQ(jsonRows(readBack("csv", file).array()),
              std::vector<QStringList>({{"Title", "Artist", "Catalogue Number", "Format", "Release Date", "In Print"}}));
}

TEST_F(ListFileTest, WebPageHasTheCollectionAsHeadingAndTheItemsAsATable) {
    if (!haveProgram(QStringLiteral("python3"))) GTEST_SKIP() << "python3 is not installed";
    native(QStringLiteral(R"(UPDATE "Collection" SET "Collection Name" = 'Vinyl <& more>' WHERE "Collection ID" = 5)"));
    const QString file = out(QStringLiteral("vinyl.html"));
    ASSERT_TRUE(writeListFile(file, ListFileFormat::Html, listOf(5), jobFor(5, true, true)));
    const QJsonObject page = readBack("html", file).object();
    EXPECT_EQ(page.value(QStringLiteral("title")).toString(), QStringLiteral("Vinyl <& more>"));
    EXPECT_EQ(page.value(QStringLiteral("h1")).toString(), QStringLiteral("Vinyl <& more>"));
    EXPECT_EQ(jsonRows(page.value(QStringLiteral("rows")).toArray()), kFullTable);
    // One self-contained page: no scripts, style sheets or pictures fetched from elsewhere.
    const QByteArray bytes = fileBytes(file);
    EXPECT_TRUE(bytes.startsWith("<!DOCTYPE html>"));
    EXPECT_FALSE(bytes.contains("<script"));
    EXPECT_FALSE(bytes.contains("<link"));
    EXPECT_FALSE(bytes.contains("<img"));
}

TEST_F(ListFileTest, FormatFollowsTheExtension) {
    EXPECT_EQ(listFileFormat(QStringLiteral("/tmp/a.PDF")), ListFileFormat::Pdf);
    EXPECT_EQ(listFileFormat(QStringLiteral("a.csv")), ListFileFormat::Csv);
    EXPECT_EQ(listFileFormat(QStringLiteral("a.htm")), ListFileFormat::Html);
    EXPECT_EQ(listFileFormat(QStringLiteral("a.html")), ListFileFormat::Html);
    EXPECT_EQ(listFileFormat(QStringLiteral("a.txt")), ListFileFormat::Text);
    EXPECT_EQ(listFileFormat(QStringLiteral("list")), ListFileFormat::Text);
    EXPECT_EQ(listFileFormat(QStringLiteral("notes.pdf.bak")), ListFileFormat::Text);
}

// A destination that fills up: while the guard lives this process may not write a file
// past a few kilobytes (the kernel fails the write, as on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(ListFileTest, AWriteThatFailsLeavesThePreviousFileAsItWas) {
    // Enough items to pass the limit.
    for (int i = 0; i < 300; ++i)
        native(QStringLiteral(R"(INSERT INTO "Collection - Contents" ("Collection ID", "Catalogue Number", "Album ID",
                 "Title", "Artist", "Notes") VALUES (5, 'BULK %1', %2, 'Bulk title %1', 'Bulk artist',
                 'A note long enough to fill the file quickly, line after line after line.'))")
                   .arg(i)
                   .arg(1000 + i));
    for (const char* name : {"kept.txt", "kept.csv", "kept.pdf"}) {
        SCOPED_TRACE(name);
        const QString file = out(QLatin1String(name));
        const QByteArray before = "The list saved last week.\r\n";
        writeFile(file, before);
        t.messages.boxes.clear();
        bool ok = true;
        {
            FileSizeLimit limit(4096);
            ok = writeListFile(file, listFileFormat(file), listOf(5), jobFor(5, true, true));
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(fileBytes(file), before);
        ASSERT_EQ(t.messages.boxes.size(), 1u);
        EXPECT_TRUE(t.messages.last().text.startsWith(QStringLiteral("Error: ")));
        // Named after the step that met the full disk: a row's write, or the final one.
        const QString step = t.messages.last().text.section(QLatin1Char('\r'), 1);
        EXPECT_TRUE(step == QLatin1String("List_PrintFile_Line") || step == QLatin1String("List_Print_File"))
            << t.messages.last().text.toStdString();
        // No temporary file is left behind.
        EXPECT_EQ(QDir(dir.path()).entryList({QLatin1String(name) + QStringLiteral("*")}, QDir::Files),
                  QStringList({QLatin1String(name)}));
    }
}

TEST_F(ListFileTest, AReadOnlyFolderIsReportedAndNothingChanges) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; the full-destination test covers this";
    QDir(dir.path()).mkdir(QStringLiteral("locked"));
    const QString folder = out(QStringLiteral("locked"));
    const QString file = folder + QStringLiteral("/list.txt");
    writeFile(file, "old\r\n");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool ok = writeListFile(file, ListFileFormat::Text, listOf(5), jobFor(5, true, true));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_EQ(fileBytes(file), "old\r\n");
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.endsWith(QStringLiteral("\rList_Print_File")));
}

TEST_F(ListFileTest, ARowThatVanishesStopsTheJobWithItsStepsName) {
    const QString file = out(QStringLiteral("vanish.txt"));
    writeFile(file, "before\r\n");
    Recordset rs = listOf(5);
    native(QStringLiteral(R"(DELETE FROM "Collection - Contents" WHERE "Catalogue Number" = 'LAN 001')"));
    EXPECT_FALSE(writeListFile(file, ListFileFormat::Text, rs, jobFor(5, true, true)));
    EXPECT_EQ(fileBytes(file), "before\r\n");
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.endsWith(QStringLiteral("\rList_PrintFile_Line")))
        << t.messages.last().text.toStdString();
}

} // namespace
