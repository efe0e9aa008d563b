// korvanda-db export: a collection written by the command-line tool, without the screens,
// compared like the files the screen writes.

#include "PrintFixture.h"

#include <QFileInfo>

using namespace kv;
using namespace kv::test;

namespace {

class ExportToolTest : public ListDbTest {
protected:
    void SetUp() override {
        tool = QStringLiteral(KV_APP_DIR "/korvanda-db");
        if (!QFileInfo(tool).isExecutable()) GTEST_SKIP() << "korvanda-db is not built";
        // The tool reads the file on its own.
        db.Close();
    }
    ProgramRun exportTo(const QString& name, const QStringList& more = {}, const QString& collection = QStringLiteral("5")) {
        return runProgram(tool, QStringList{QStringLiteral("export"), path, collection, dir.filePath(name)} + more);
    }
    QString tool;
};

TEST_F(ExportToolTest, TextFilesMatchTheScreensByteForByte) {
    ProgramRun r = exportTo(QStringLiteral("titles.txt"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("titles.txt"))), kTitlesText);

    r = exportTo(QStringLiteral("full.txt"), {QStringLiteral("--details"), QStringLiteral("recording,custom")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("full.txt"))), kFullText);

    r = exportTo(QStringLiteral("empty.txt"), {}, QStringLiteral("6"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath(QStringLiteral("empty.txt"))), QByteArray());
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(ExportToolTest, CsvWebPageAndPdfByExtension) {
    ASSERT_EQ(exportTo(QStringLiteral("full.csv"), {QStringLiteral("--details"), QStringLiteral("recording,custom")}).status, 0);
    ASSERT_EQ(exportTo(QStringLiteral("full.html"), {QStringLiteral("--details"), QStringLiteral("custom,recording")}).status, 0);
    ASSERT_EQ(exportTo(QStringLiteral("full.pdf"), {QStringLiteral("--details"), QStringLiteral("recording")}).status, 0);
    if (haveProgram(QStringLiteral("python3"))) {
        EXPECT_EQ(jsonRows(readBack("csv", dir.filePath(QStringLiteral("full.csv"))).array()), kFullTable);
        const QJsonObject page = readBack("html", dir.filePath(QStringLiteral("full.html"))).object();
        EXPECT_EQ(page.value(QStringLiteral("h1")).toString(), QStringLiteral("Vinyl, mostly"));
        EXPECT_EQ(jsonRows(page.value(QStringLiteral("rows")).toArray()), kFullTable);
    }
    if (haveProgram(QStringLiteral("pdftotext"))) {
        const QStringList lines = textLines(pdfText(dir.filePath(QStringLiteral("full.pdf"))));
        EXPECT_EQ(lines.mid(0, 5), QStringList({"Collection : Vinyl, mostly", "Afterglow (Orla Venn)", "Cat No : AB 12",
                                                "Format : Cassette Date : 1985", "Field Recordings"}));
        EXPECT_TRUE(lines.contains(QStringLiteral("This item may not be available as it is no longer in print")));
        EXPECT_FALSE(lines.contains(QStringLiteral("Condition")));
    }
}

TEST_F(ExportToolTest, UnknownCollectionOrFormatWritesNothing) {
    ProgramRun r = exportTo(QStringLiteral("none.txt"), {}, QStringLiteral("42"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("no collection 42")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none.txt"))));

    r = exportTo(QStringLiteral("list.doc"));
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("list.doc"))));

    r = exportTo(QStringLiteral("list.txt"), {QStringLiteral("--details"), QStringLiteral("everything")});
    EXPECT_EQ(r.status, 2);
    r = exportTo(QStringLiteral("list.txt"), {}, QStringLiteral("five"));
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("list.txt"))));

    // A missing database is the engine's error, not a crash.
    r = runProgram(tool, {QStringLiteral("export"), dir.filePath(QStringLiteral("missing.mdb")), QStringLiteral("5"),
                          dir.filePath(QStringLiteral("x.txt"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("Error 3024: ")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("x.txt"))));
}

TEST_F(ExportToolTest, AFailedWriteIsReportedOnStandardError) {
    // The destination folder does not exist.
    const ProgramRun r = exportTo(QStringLiteral("no-such-folder/list.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("List_Print_File")) << r.err.toStdString();
}

} // namespace
