// korvanda-db as people and scripts use it: create, check and sql, with its output format
// and exit statuses.

#include "DbFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace kv::test;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

TEST_F(ToolTest, CreateReplacesExistingFilesOnlyWhenAskedAndKeepsThem) {
    const QString mdw = dir + "/KORDB.MDW";
    ASSERT_EQ(run({"sql", db, "UPDATE Collection SET [Notes] = \"mine\" WHERE [Collection ID] = 0"})
                  .status,
              0);
    const QByteArray mine = fileBytes(db), account = fileBytes(mdw);
    const ToolRun refused = run({"create", dir});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("already exists")) << refused.err.toStdString();
    EXPECT_EQ(fileBytes(db), mine);
    EXPECT_EQ(fileBytes(mdw), account);
    // Either file alone is enough to refuse, and the other is not written either.
    QFile::remove(db);
    EXPECT_EQ(run({"create", dir}).status, 1);
    EXPECT_FALSE(QFileInfo::exists(db));
    EXPECT_EQ(fileBytes(mdw), account);

    ASSERT_EQ(run({"create", dir}).status, 1);
    QFile::remove(mdw);
    ASSERT_EQ(run({"create", dir}).status, 0);
    ASSERT_EQ(run({"sql", db, "UPDATE Collection SET [Notes] = \"mine\" WHERE [Collection ID] = 0"})
                  .status,
              0);
    const QByteArray before = fileBytes(db), accountBefore = fileBytes(mdw);
    const ToolRun replaced = run({"create", dir, "--replace"});
    EXPECT_EQ(replaced.status, 0) << replaced.err.toStdString();
    EXPECT_EQ(fileBytes(db + ".bak"), before);
    EXPECT_EQ(fileBytes(mdw + ".bak"), accountBefore);
    EXPECT_EQ(run({"sql", db, "SELECT [Notes] FROM Collection WHERE [Collection ID] = 0"}).out,
              "Notes\n\\N\n");
    EXPECT_EQ(run({"check", db}).out, "ok\n");
    EXPECT_NE(fileBytes(mdw), accountBefore); // a fresh salt
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).filter(".partial"), QStringList());
    EXPECT_EQ(replaced.out, QString("kept '%1' as '%1.bak'\nkept '%2' as '%2.bak'\n").arg(db, mdw));
    // An older backup is never replaced.
    const ToolRun again = run({"create", dir, "--replace"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.startsWith(QString("kept '%1' as '%1.bak2'").arg(db)));
    EXPECT_EQ(fileBytes(db + ".bak"), before);

    // Something that is no file is never replaced.
    QFile::remove(db);
    ASSERT_EQ(::mkfifo(QFile::encodeName(db).constData(), 0600), 0);
    const ToolRun fifo = run({"create", dir, "--replace"});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_TRUE(fifo.err.contains("is a FIFO")) << fifo.err.toStdString();
    EXPECT_TRUE(QFileInfo(db).exists() && !QFileInfo(db).isFile());
}

TEST_F(ToolTest, ReplaceSettlesAChangeLeftUnfinishedFirst) {
    // The files as a crash in the middle of a change leaves them: the database with its
    // journal beside it (copied while a transaction is open).
    QTemporaryDir crashed;
    const QString old = crashed.filePath("KORDB.MDB");
    {
        sqlite3* w = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(db).constData(), &w), SQLITE_OK);
        ASSERT_EQ(
            sqlite3_exec(w, "BEGIN; DELETE FROM \"Shop Directory\";", nullptr, nullptr, nullptr),
            SQLITE_OK);
        ASSERT_TRUE(QFile::copy(db, old));
        ASSERT_TRUE(QFile::copy(db + "-journal", old + "-journal"));
        sqlite3_exec(w, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(w);
    }
    ASSERT_TRUE(QFile::copy(dir + "/KORDB.MDW", crashed.filePath("KORDB.MDW")));
    const ToolRun replaced = run({"create", crashed.path(), "--replace"});
    EXPECT_EQ(replaced.status, 0) << replaced.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(old + "-journal")); // nothing left to play into the new file
    EXPECT_EQ(run({"check", old}).out, "ok\n");
    EXPECT_EQ(run({"check", old + ".bak"}).out, "ok\n");
    EXPECT_NE(run({"sql", old + ".bak", "SELECT Count(*) FROM [Shop Directory]"}).out,
              "Expr1000\n0\n"); // the unfinished deletion was rolled back
}

TEST_F(ToolTest, OpensOnlyRegularFilesAndNeverWaitsOnOne) {
    const QString fifo = dir + "/fifo";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"check", fifo}, "it is a FIFO, not a file"},
        {{"sql", fifo, "SELECT * FROM Collection"}, "it is a FIFO, not a file"},
        {{"check", dir}, "it is a folder, not a file"},
        {{"sql", "/dev/null", "SELECT * FROM Collection"}, "it is a device, not a file"},
        {{"create", dir + "/other", "--shops", fifo}, "is a FIFO, not a file"},
    };
    for (const auto& c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/other/KORDB.MDB"));
}

TEST_F(ToolTest, SqlOutputCannotSteerTheTerminal) {
    const QString esc = QString(QChar(0x1b));
    const QString controls = esc + "]0;owned" + QChar(0x07) + esc + "[2J" + QChar(0x7f) +
                             QChar(0x85) + QChar(0x9b) + QChar(0x2028) + QChar(0x2029) +
                             QChar(0x202e) + QChar(0x2066) + QChar(0x200f) + QChar(0x08) + "é";
    ASSERT_EQ(run({"sql", db,
                   "UPDATE Collection SET [Notes] = \"" + controls + "\" WHERE [Collection ID]=0"})
                  .status,
              0);
    const ToolRun r = run({"sql", db,
                           "SELECT [Notes] AS [x" + esc +
                               "c] FROM Collection WHERE "
                               "[Collection ID] = 0"});
    EXPECT_EQ(r.out, "x\\u001bc\n"
                     "\\u001b]0;owned\\u0007\\u001b[2J\\u007f\\u0085\\u009b\\u2028\\u2029"
                     "\\u202e\\u2066\\u200f\\u0008é\n");
    // Error messages quote the statement and the database: escaped the same way.
    const ToolRun unknown = run({"sql", db, "SELECT [a" + esc + "[2Jb] FROM Collection"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains("a\\u001b[2Jb")) << unknown.err.toStdString();
    EXPECT_FALSE(unknown.err.contains(esc));
}

TEST_F(ToolTest, SqlPrintsTheHeaderOnlyWithAResult) {
    // The division fails when the first row is read: no header without its rows.
    const ToolRun failed = run({"sql", db, "SELECT [Collection ID] / 0 AS Ratio FROM Collection"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_TRUE(failed.err.startsWith("Error 11: ")) << failed.err.toStdString();
    EXPECT_EQ(run({"sql", db, "SELECT [Collection ID] FROM Collection WHERE 1 = 0"}).out,
              "Collection ID\n");
    // A statement nested beyond any sense is refused, not a crash.
    const ToolRun deep = run(
        {"sql", db,
         "SELECT * FROM [Collection] WHERE " + QString(5000, u'(') + "1=1" + QString(5000, u')')});
    EXPECT_EQ(deep.status, 1);
    EXPECT_EQ(deep.err, "Error 3360: Query is too complex\n");
}

} // namespace
