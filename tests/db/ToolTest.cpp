// korvanda-db as people and scripts use it: create, check and sql, with its output format
// and exit statuses.

#include "DbFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

using namespace kv::test;

namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        tool = QStringLiteral(KV_APP_DIR "/korvanda-db");
        if (!QFileInfo(tool).isExecutable()) GTEST_SKIP() << "korvanda-db is not built";
        dir = tmp.path();
        ASSERT_EQ(run({"create", dir}).status, 0);
        db = dir + "/KORDB.MDB";
    }
    ToolRun run(const QStringList& args) {
        QProcess p;
        p.start(tool, args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QString tool, dir, db;
    QTemporaryDir tmp;
};

TEST_F(ToolTest, CreatesATemplateThatChecksOut) {
    EXPECT_TRUE(QFileInfo::exists(dir + "/KORDB.MDW"));
    const ToolRun ok = run({"check", db});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "ok\n");
    const ToolRun id = run({"sql", db, "SELECT * FROM [Internal - TALV ID]"});
    EXPECT_EQ(id.out, "TALV ID Code\tVersion\nKORDB\t1.001\n");
    const ToolRun shops = run({"sql", db, "SELECT Count(*) AS n FROM [Shop Directory]"});
    EXPECT_NE(shops.out.section(u'\n', 1, 1).toInt(), 0); // the demo shop directory is in
    const ToolRun builtin = run(
        {"sql", db, "SELECT [Collection ID], [Builtin] FROM Collection ORDER BY [Collection ID]"});
    EXPECT_EQ(builtin.out, "Collection ID\tBuiltin\n0\tTrue\n1\tTrue\n");

    QFile text(dir + "/text.mdb");
    text.open(QIODevice::WriteOnly);
    text.write("hello\n");
    text.close();
    const ToolRun bad = run({"check", text.fileName()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "Sorry this is not a Korvanda database\n");
    run({"sql", db, "UPDATE [Internal - TALV ID] SET [Version] = 1.0009"});
    const ToolRun old = run({"check", db});
    EXPECT_EQ(old.status, 1);
    EXPECT_EQ(old.out, "Sorry this Korvanda database is an old version.\n");
}

TEST_F(ToolTest, SqlPrintsRowsCountsAndErrors) {
    const ToolRun added = run({"sql", db,
                               "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue "
                               "Number], [Title], [Notes]) "
                               "VALUES (1, \"C1\", \"Tab\there\", \"back\\\\slash\")"});
    EXPECT_EQ(added.out, "1\n");
    const ToolRun rows = run({"sql", db,
                              "SELECT [Title]+\"  (\"+[Artist]+\")\" AS Both, [Notes], [Order], "
                              "[Album ID], 2.5*2 AS x FROM "
                              "[Collection - Contents]"});
    EXPECT_EQ(rows.out, "Both\tNotes\tOrder\tAlbum ID\tx\n\\N\tback\\\\\\\\slash\tFalse\t\\N\t5\n");
    const ToolRun cleared =
        run({"sql", db,
             "UPDATE DISTINCTROW [Collection - Contents] SET [Collection - Contents].[Order] = "
             "False WHERE ((([Collection - Contents].[Collection ID])=1));"});
    EXPECT_EQ(cleared.out, "1\n");
    const ToolRun refused = run({"sql", db, "SELECT * FROM Collection WHERE"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.startsWith("Error 3075: ")) << refused.err.toStdString();
    EXPECT_EQ(run({"sql", dir + "/missing.mdb", "SELECT * FROM Collection"}).status, 1);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
}

} // namespace
