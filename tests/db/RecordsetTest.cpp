// Record sets on a real catalogue database: table-type cursors with seek and index order,
// editing and its errors, long binary chunks, dynasets and snapshots with find and
// bookmarks, transactions, and files that are not databases.

#include "DbFixture.h"

#include "core/ErrorTable.h"
#include "db/Transaction.h"

#include <QFile>

using namespace kv;
using namespace kv::test;

namespace {

QStringList walk(Recordset& rs, const QString& field, bool backwards = false) {
    QStringList out;
    if (backwards) {
        rs.MoveLast();
        while (!rs.Bof()) {
            out << rs.value(field).toString();
            rs.MovePrevious();
        }
    } else {
        rs.MoveFirst();
        while (!rs.Eof()) {
            out << rs.value(field).toString();
            rs.MoveNext();
        }
    }
    return out;
}

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        c.addItem(1, "B-2", 20, "Beta", "x");
        c.addItem(1, "a-1", 10, "Alpha", "y");
        c.addItem(2, "A-1", 10, "Alpha", "z");
        c.addItem(1, "C-3", 30, "Gamma", QVariant());
    }
    TempCatalogue c;
};

TEST_F(RecordsetTest, TableTypeFollowsTheCurrentIndexAndSeeks) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    EXPECT_EQ(rs.Type(), dbOpenTable);
    rs.setIndex(QStringLiteral("primarykey")); // index names compare without regard to case
    EXPECT_EQ(rs.Index(), "PrimaryKey");
    EXPECT_EQ(walk(rs, QStringLiteral("Catalogue Number")),
              (QStringList{"a-1", "B-2", "C-3", "A-1"}));
    EXPECT_EQ(walk(rs, QStringLiteral("Catalogue Number"), true),
              (QStringList{"A-1", "C-3", "B-2", "a-1"}));

    rs.Seek(QStringLiteral("="), 1, QStringLiteral("b-2"));
    ASSERT_FALSE(rs.NoMatch());
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), "Beta");
    rs.MoveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "C-3");
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("Z-9"));
    EXPECT_TRUE(rs.NoMatch());
    EXPECT_EQ(errorOf([&] { rs.value(QStringLiteral("Title")); }), err::NoCurrentRecord);
    rs.Seek(QStringLiteral(">="), 1, QStringLiteral("b"));
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "B-2");
    rs.Seek(QStringLiteral("<"), 2);
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "C-3");

    // A non-unique index, scanned from the found row while the key stays the same, and
    // running off the end.
    rs.setIndex(QStringLiteral("Catalogue Number"));
    rs.Seek(QStringLiteral("="), QStringLiteral("A-1"));
    QList<int> collections;
    while (!rs.Eof() && rs.value(QStringLiteral("Catalogue Number"))
                                .toString()
                                .compare(QLatin1String("a-1"), Qt::CaseInsensitive) == 0) {
        collections << rs.value(QStringLiteral("Collection ID")).toInt();
        rs.MoveNext();
    }
    EXPECT_EQ(collections, (QList<int>{1, 2}));
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), err::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs.setIndex(QStringLiteral("Nothing")); }), err::ItemNotFound);
    EXPECT_EQ(rs.RecordCount(), 4);
}

TEST_F(RecordsetTest, NullKeysSortFirstAndAreWalkedBothWays) {
    c.database.Execute(
        QStringLiteral("INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number]) "
                       "VALUES (5, \"N-1\")"));
    c.database.Execute(
        QStringLiteral("INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number]) "
                       "VALUES (5, \"N-2\")"));
    Recordset rs = c.database.OpenRecordset(QStringLiteral("[Collection - Contents]"));
    rs.setIndex(QStringLiteral("Album ID"));
    EXPECT_EQ(walk(rs, QStringLiteral("Catalogue Number")),
              (QStringList{"N-1", "N-2", "a-1", "A-1", "B-2", "C-3"}));
    EXPECT_EQ(walk(rs, QStringLiteral("Catalogue Number"), true),
              (QStringList{"C-3", "B-2", "A-1", "a-1", "N-2", "N-1"}));
    rs.Seek(QStringLiteral("="), 30);
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "C-3");
    rs.Seek(QStringLiteral("="), QStringLiteral("not a number"));
    EXPECT_TRUE(rs.NoMatch());
}

TEST_F(RecordsetTest, ChangesAreCommittedAndCheckedWhenMade) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("B-2"));
    const QByteArray before = rs.Bookmark();
    rs.AddNew();
    EXPECT_EQ(rs.value(QStringLiteral("Order")), QVariant(false)); // the field's default
    rs.setValue(QStringLiteral("Collection ID"), 1);
    rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("D-4"));
    rs.setValue(QStringLiteral("Title"), QStringLiteral("Delta"));
    rs.Update();
    // The record that was current stays current; the new one is the last modified.
    EXPECT_EQ(rs.Bookmark(), before);
    rs.setBookmark(rs.LastModified());
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), "Delta");

    // Another connection sees it at once.
    Database other = Database::open(c.path, true);
    EXPECT_EQ(other
                  .OpenRecordset(QStringLiteral(
                      "SELECT * FROM [Collection - Contents] WHERE [Title]=\"delta\""))
                  .RecordCount(),
              1);

    // A duplicate key fails and leaves the edit open; CancelUpdate drops it.
    rs.AddNew();
    rs.setValue(QStringLiteral("Collection ID"), 1);
    rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("d-4"));
    EXPECT_EQ(errorOf([&] { rs.Update(); }), err::DuplicateKey);
    EXPECT_EQ(rs.EditMode(), dbEditAdd);
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 5);

    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Title"), QStringLiteral("x")); }),
              err::UpdateWithoutEdit);
    EXPECT_EQ(errorOf([&] { rs.Update(); }), err::UpdateWithoutEdit);
    rs.Edit();
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Title"), QString(256, u't')); }),
              err::FieldTooSmall);
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Collection ID"), 70000); }),
              err::NumericFieldOverflow);
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Album ID"), QStringLiteral("many")); }),
              err::DataTypeConversion);
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("No Such Field"), 1); }), err::ItemNotFound);
    rs.setValue(QStringLiteral("Title"), QStringLiteral("Delta \"quoted\" 'both'"));
    rs.setValue(QStringLiteral("Artist"), QVariant());
    rs.Update();
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), "Delta \"quoted\" 'both'");
    EXPECT_TRUE(rs.value(QStringLiteral("Artist")).isNull());

    // Deleting: the record is gone, moving goes on from where it was.
    rs.Delete();
    EXPECT_EQ(errorOf([&] { rs.value(QStringLiteral("Title")); }), err::RecordIsDeleted);
    rs.MoveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "A-1");
    EXPECT_EQ(rs.RecordCount(), 4);
}

// A Seek after one whose row nobody read finds the key alone; the fields are read when
// first used, and the record set behaves as if it had read them at once.
TEST_F(RecordsetTest, FieldsOfASoughtRowAreReadWhenFirstUsed) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    auto seek = [&](const QString& number) {
        rs.Seek(QStringLiteral("="), 1, number);
        EXPECT_FALSE(rs.NoMatch()) << number.toStdString();
    };
    auto text = [&](const QString& field) { return rs.value(field).toString(); };
    const QString number = QStringLiteral("Catalogue Number"), title = QStringLiteral("Title");

    seek("a-1");
    seek("b-2");
    const QByteArray mark = rs.Bookmark();
    EXPECT_EQ(text(title), "Beta");
    EXPECT_EQ(text(number), "B-2"); // as stored, not as sought
    EXPECT_EQ(rs.value(QStringLiteral("Album ID")), QVariant(20));
    seek("a-1");
    rs.setBookmark(mark);
    EXPECT_EQ(text(title), "Beta");

    // Moving on from a row found by its key alone.
    seek("a-1");
    seek("B-2");
    rs.MoveNext();
    EXPECT_EQ(text(number), "C-3");
    rs.MovePrevious();
    rs.MovePrevious();
    EXPECT_EQ(text(number), "a-1");

    // A change made in between is seen, as it is for any current record.
    seek("C-3");
    seek("B-2");
    c.database.Execute(QStringLiteral("UPDATE [Collection - Contents] SET [Title] = \"Beta 2\" "
                                      "WHERE [Catalogue Number] = \"B-2\""));
    EXPECT_EQ(text(title), "Beta 2");

    // Edit: unassigned fields read as they were, assigned ones as given; only what was
    // assigned is written.
    seek("a-1");
    seek("C-3");
    rs.Edit();
    EXPECT_EQ(text(title), "Gamma");
    EXPECT_TRUE(rs.value(QStringLiteral("Artist")).isNull());
    rs.setValue(QStringLiteral("Notes"), QStringLiteral("n"));
    EXPECT_EQ(text(QStringLiteral("Notes")), "n");
    rs.Update();
    seek("a-1");
    seek("B-2");
    rs.Edit();
    rs.setValue(QStringLiteral("Notes"), QStringLiteral("m"));
    rs.Update();
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Notes], [Title] FROM [Collection - Contents] "
                                      "WHERE [Collection ID] = 1 ORDER BY [Catalogue Number]")),
              (QStringList{"<Null>", "m", "n"}));
    EXPECT_EQ(text(title), "Beta 2");

    // Delete, then walk on from where the row was.
    seek("C-3");
    seek("a-1");
    rs.Delete();
    EXPECT_EQ(errorOf([&] { rs.value(title); }), err::RecordIsDeleted);
    rs.MoveNext();
    EXPECT_EQ(text(number), "B-2");
    EXPECT_EQ(rs.RecordCount(), 3);

    // Another index, and Seek's errors.
    rs.setIndex(QStringLiteral("Album ID"));
    rs.Seek(QStringLiteral("="), 10);
    rs.Seek(QStringLiteral("="), 30);
    rs.MovePrevious();
    EXPECT_EQ(text(number), "B-2");
    rs.Seek(QStringLiteral("="), 20);
    rs.Seek(QStringLiteral("="), 99);
    EXPECT_TRUE(rs.NoMatch());
    EXPECT_EQ(errorOf([&] { rs.Edit(); }), err::NoCurrentRecord);
}

// A record that went away between Edit and Update (another record set deleted it) is not
// reported as stored.
TEST_F(RecordsetTest, UpdateOfARecordDeletedMeanwhileFails) {
    auto remove = [&](const QString& number) {
        c.database.Execute(QStringLiteral("DELETE FROM [Collection - Contents] WHERE "
                                          "[Collection ID] = 1 AND [Catalogue Number] = \"%1\"")
                               .arg(number));
    };
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("B-2"));
    EXPECT_EQ(rs.value(QStringLiteral("Title")).toString(), "Beta");
    rs.Edit();
    rs.setValue(QStringLiteral("Title"), QStringLiteral("x"));
    remove("B-2");
    EXPECT_EQ(errorOf([&] { rs.Update(); }), err::RecordIsDeleted);
    EXPECT_EQ(rs.EditMode(), dbEditInProgress);
    rs.CancelUpdate();

    // The same when the row's fields were never read.
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("a-1"));
    rs.Seek(QStringLiteral("="), 1, QStringLiteral("C-3"));
    rs.Edit();
    remove("C-3");
    EXPECT_EQ(errorOf([&] { rs.value(QStringLiteral("Title")); }), err::RecordIsDeleted);
    rs.setValue(QStringLiteral("Notes"), QStringLiteral("x"));
    EXPECT_EQ(errorOf([&] { rs.Update(); }), err::RecordIsDeleted);
    rs.CancelUpdate();

    Recordset dynaset = c.database.OpenRecordset(
        QStringLiteral("SELECT * FROM [Collection - Contents] ORDER BY [Catalogue Number]"),
        dbOpenDynaset);
    dynaset.Edit();
    dynaset.setValue(QStringLiteral("Notes"), QStringLiteral("x"));
    remove("a-1");
    EXPECT_EQ(errorOf([&] { dynaset.Update(); }), err::RecordIsDeleted);
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents]")),
              (QStringList{"A-1"}));
}

// Record sets keep their statements between calls; when the connection's statement cache
// turns over they look them up again instead of using finalized ones.
TEST_F(RecordsetTest, RecordSetsOutliveTheStatementCache) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    rs.setIndex(QStringLiteral("PrimaryKey"));
    auto addAndChange = [&](const QString& number) {
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 3);
        rs.setValue(QStringLiteral("Catalogue Number"), number);
        rs.Update();
        rs.Seek(QStringLiteral("="), 3, number);
        ASSERT_FALSE(rs.NoMatch());
        rs.Edit();
        rs.setValue(QStringLiteral("Title"), number + QStringLiteral(" title"));
        rs.Update();
        rs.MoveFirst();
        rs.MoveNext();
    };
    addAndChange(QStringLiteral("K-1"));
    addAndChange(QStringLiteral("K-2"));
    const quint64 generation = c.database.connection()->statementGeneration();
    for (int k = 0; k < 300; ++k)
        c.database.OpenRecordset(
            QStringLiteral("SELECT [Title] FROM [Collection - Contents] WHERE [Album ID] = %1")
                .arg(k),
            dbOpenSnapshot);
    ASSERT_NE(c.database.connection()->statementGeneration(), generation);
    addAndChange(QStringLiteral("K-3"));
    addAndChange(QStringLiteral("K-4"));
    EXPECT_EQ(c.column(QStringLiteral("SELECT [Title] FROM [Collection - Contents] WHERE "
                                      "[Collection ID] = 3 ORDER BY [Catalogue Number]")),
              (QStringList{"K-1 title", "K-2 title", "K-3 title", "K-4 title"}));
}

TEST_F(RecordsetTest, CounterIsReadableAfterAddNew) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Connections"));
    rs.setIndex(QStringLiteral("primarykey"));
    rs.AddNew();
    const int id = rs.value(QStringLiteral("Connection ID")).toInt();
    EXPECT_EQ(id, 5); // four come with the template
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Connection ID"), 99); }),
              err::FieldCannotBeUpdated);
    rs.Update(); // no name yet: the program fills it in afterwards
    rs.Seek(QStringLiteral("="), id);
    ASSERT_FALSE(rs.NoMatch());
    rs.Delete();
    rs.AddNew();
    EXPECT_EQ(rs.value(QStringLiteral("Connection ID")).toInt(), 6); // numbers are not reused
}

TEST_F(RecordsetTest, LongBinaryChunks) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection"));
    rs.setIndex(QStringLiteral("Primarykey"));
    rs.Seek(QStringLiteral("="), 1);
    QByteArray data;
    for (int k = 0; k < 5000; ++k)
        data.append(char(k * 7));
    rs.Edit();
    rs.Fields(QStringLiteral("Collection Icon")).AppendChunk(QByteArray("old"));
    rs.Update();
    rs.Edit();
    // The first piece after Edit replaces the value, later ones add to it.
    const Field icon = rs.Fields(QStringLiteral("Collection Icon"));
    icon.AppendChunk(data.left(2000));
    icon.AppendChunk(data.mid(2000));
    rs.Update();
    EXPECT_EQ(icon.FieldSize(), 5000);
    EXPECT_EQ(icon.GetChunk(4000, 2000), data.mid(4000));
    EXPECT_EQ(icon.GetChunk(5000, 10), QByteArray());
    EXPECT_EQ(icon.Value().toByteArray(), data);
    EXPECT_EQ(errorOf([&] { rs.Fields(QStringLiteral("Builtin")).AppendChunk("x"); }),
              err::UpdateWithoutEdit);
}

TEST_F(RecordsetTest, DynasetUpdatesThroughItsFieldsAndFinds) {
    const QString sql = QStringLiteral(
        "SELECT DISTINCTROW [Collection - Contents].[Catalogue Number], [Title]+\"  (\"+"
        "[Artist]+\")\" AS Both, [Collection - Contents].Order as [Order it] FROM "
        "[Collection - Contents] WHERE [Collection ID]=1 ORDER BY [Title]");
    Recordset rs = c.database.OpenRecordset(sql, dbOpenDynaset);
    ASSERT_EQ(rs.RecordCount(), 3);
    EXPECT_TRUE(rs.Updatable());
    rs.FindFirst(QStringLiteral("[Order it] = True"));
    EXPECT_TRUE(rs.NoMatch());
    EXPECT_EQ(rs.AbsolutePosition(), 0); // the position stays

    rs.MoveLast();
    rs.Edit();
    rs.setValue(QStringLiteral("Order it"), true);
    EXPECT_EQ(errorOf([&] { rs.setValue(QStringLiteral("Both"), QStringLiteral("x")); }),
              err::FieldCannotBeUpdated);
    rs.Update();
    rs.MoveFirst();
    rs.FindFirst(QStringLiteral("[Order it] = True"));
    ASSERT_FALSE(rs.NoMatch());
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "C-3");
    EXPECT_TRUE(rs.value(QStringLiteral("Both")).isNull());
    const QByteArray mark = rs.Bookmark();

    rs.FindPrevious(QStringLiteral("[Title] Like \"*A\""));
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "B-2");
    rs.FindPrevious(QStringLiteral("[Title] Like \"*A\""));
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "a-1");
    rs.FindNext(QStringLiteral("[Both] = \"BETA  (X)\""));
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.FindLast(QStringLiteral("[Catalogue Number] <> \"\""));
    EXPECT_EQ(rs.AbsolutePosition(), 2);
    rs.setBookmark(mark);
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "C-3");
    EXPECT_EQ(errorOf([&] { rs.FindFirst(QStringLiteral("[Nothing] = 1")); }),
              err::TooFewParameters);
    EXPECT_EQ(errorOf([&] { rs.setBookmark("junk"); }), err::NotAValidBookmark);

    // The table row changed: another record set sees it.
    Recordset table = c.database.OpenRecordset(QStringLiteral("Collection - Contents"));
    table.setIndex(QStringLiteral("PrimaryKey"));
    table.Seek(QStringLiteral("="), 1, QStringLiteral("C-3"));
    EXPECT_EQ(table.value(QStringLiteral("Order")), QVariant(true));

    // A dynaset reads rows as they are now; a snapshot keeps what it read.
    Recordset snapshot = c.database.OpenRecordset(sql, dbOpenSnapshot);
    EXPECT_FALSE(snapshot.Updatable());
    c.database.Execute(
        QStringLiteral("UPDATE [Collection - Contents] SET [Title] = \"Aardvark\" WHERE [Catalogue "
                       "Number] = \"a-1\" AND [Collection ID] = 1"));
    rs.MoveFirst();
    snapshot.MoveFirst();
    EXPECT_EQ(rs.value(QStringLiteral("Both")).toString(), "Aardvark  (y)");
    EXPECT_EQ(snapshot.value(QStringLiteral("Both")).toString(), "Alpha  (y)");
    EXPECT_EQ(errorOf([&] { snapshot.Edit(); }), err::DatabaseReadOnly);

    // Rows added join the end; a deleted one leaves the set.
    rs.AddNew();
    rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("E-5"));
    EXPECT_EQ(errorOf([&] { rs.Update(); }), err::FieldCannotBeNull); // no collection given
    rs.CancelUpdate();
    rs.MoveFirst();
    rs.Delete();
    EXPECT_EQ(errorOf([&] { rs.value(QStringLiteral("Both")); }), err::RecordIsDeleted);
    rs.MoveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "B-2");
    EXPECT_EQ(rs.RecordCount(), 2);
}

TEST_F(RecordsetTest, LargeDynasetReadsEveryRowInOrderBothWays) {
    // Enough rows for the blocks to grow to their bound and then go on at it.
    const int n = 9000;
    auto number = [](int k) { return QStringLiteral("L-%1").arg(k, 4, 10, QLatin1Char('0')); };
    {
        Transaction t(c.database);
        for (int k = 0; k < n; ++k)
            c.addItem(9, number(k), k, QStringLiteral("t%1").arg(99999 - k), "a");
        t.commit();
    }
    Recordset rs = c.database.OpenRecordset(
        QStringLiteral("SELECT [Catalogue Number] FROM [Collection - Contents] WHERE [Collection "
                       "ID] = 9 ORDER BY [Title] DESC"));
    ASSERT_EQ(rs.RecordCount(), n);
    const QStringList forward = walk(rs, QStringLiteral("Catalogue Number"));
    ASSERT_EQ(forward.size(), n);
    for (int k = 0; k < n; ++k)
        ASSERT_EQ(forward[k], number(k));
    QStringList backward = walk(rs, QStringLiteral("Catalogue Number"), true);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);

    // A jump, a change part-way through a walk, and the walk going on both ways from it.
    rs.setAbsolutePosition(345);
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "L-0345");
    rs.setAbsolutePosition(5000);
    rs.Edit();
    rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("CHANGED"));
    rs.Update();
    rs.MoveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), number(5001));
    rs.MovePrevious();
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), "CHANGED");
    for (int k = 4999; k >= 4000; --k) {
        rs.MovePrevious();
        ASSERT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), number(k));
    }
    rs.setAbsolutePosition(n - 1);
    EXPECT_EQ(rs.value(QStringLiteral("Catalogue Number")).toString(), number(n - 1));
}

TEST_F(RecordsetTest, TransactionsRollBackUnlessCommitted) {
    {
        Transaction t(c.database);
        c.addItem(7, "T-1", 1, "a", "b");
        {
            Transaction inner(c.database);
            c.addItem(7, "T-2", 1, "a", "b");
            inner.commit();
        }
    }
    EXPECT_EQ(c.column(QStringLiteral(
                           "SELECT [Title] FROM [Collection - Contents] WHERE [Collection ID]=7"))
                  .size(),
              0);
    {
        Transaction t(c.database);
        c.addItem(7, "T-1", 1, "a", "b");
        t.commit();
    }
    EXPECT_EQ(c.column(QStringLiteral(
                           "SELECT [Title] FROM [Collection - Contents] WHERE [Collection ID]=7"))
                  .size(),
              1);
}

TEST_F(RecordsetTest, ClosedDatabaseAndMissingObjects) {
    Recordset rs = c.database.OpenRecordset(QStringLiteral("Collection"));
    EXPECT_EQ(errorOf([&] { c.database.OpenRecordset(QStringLiteral("No Such Table")); }),
              err::ObjectNotFound);
    EXPECT_EQ(
        errorOf([&] {
            c.database.OpenRecordset(QStringLiteral("Collection"), dbOpenTable, dbReadOnly).Edit();
        }),
        err::DatabaseReadOnly);
    c.database.Close();
    EXPECT_EQ(errorOf([&] { rs.MoveNext(); }), err::ObjectInvalid);
    EXPECT_EQ(errorOf([&] { c.database.Execute(QStringLiteral("DELETE FROM Collection")); }),
              err::ObjectInvalid);
    EXPECT_EQ(errorOf([] { Recordset().MoveFirst(); }), err::ObjectNotSet);
}

TEST(DatabaseFiles, FilesThatAreNotDatabasesAreToldApart) {
    TempCatalogue c;
    c.database.Close();
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(c.file(name));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return c.file(name);
    };
    EXPECT_EQ(errorOf([&] { Database::open(c.file("missing.mdb")); }), err::CouldNotFindFile);
    EXPECT_EQ(errorOf([&] {
                  Database::open(write("text.mdb", "This is a text file, not a database.\n"));
              }),
              err::UnrecognizedDatabaseFormat);
    EXPECT_EQ(errorOf([&] { Database::open(c.dir.path()); }), err::CannotOpenFile);
    QFile original(c.path);
    original.open(QIODevice::ReadOnly);
    const QByteArray bytes = original.readAll();
    // A cut copy and a copy with damaged pages fail with an engine error, not a crash.
    for (const QByteArray& broken :
         {bytes.left(bytes.size() / 2 + 100), bytes.left(1500),
          QByteArray(bytes).replace(4096, bytes.size() - 4096,
                                    QByteArray(bytes.size() - 4096, '\xff'))}) {
        const QString path = write(QStringLiteral("broken.mdb"), broken);
        const int e = errorOf([&] {
            Database d = Database::open(path);
            for (const QString& t :
                 {QStringLiteral("Collection"), QStringLiteral("Collection - Contents"),
                  QStringLiteral("Shop Directory"), QStringLiteral("Connections")}) {
                Recordset rs = d.OpenRecordset(t);
                while (!rs.Eof())
                    rs.MoveNext();
            }
            Recordset rs =
                d.OpenRecordset(QStringLiteral("SELECT * FROM [Shop Directory] ORDER BY [Name]"));
            while (!rs.Eof()) {
                rs.value(QStringLiteral("Description"));
                rs.MoveNext();
            }
        });
        EXPECT_TRUE(e == err::DatabaseCorrupt || e == err::UnrecognizedDatabaseFormat ||
                    e == err::ObjectNotFound)
            << "error " << e << " for " << broken.size() << " bytes";
    }
    // An empty file is an empty database: it has no tables.
    const Database empty = Database::open(write(QStringLiteral("empty.mdb"), QByteArray()));
    EXPECT_TRUE(empty.TableNames().isEmpty());
}

} // namespace
