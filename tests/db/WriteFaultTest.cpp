// Every write path of the database layer on a failing disk: with the n-th write, sync or
// lock failing, for every n, the call raises the engine's error, the file is exactly as it
// was (every table, and SQLite's integrity check), and the same call works when tried
// again. A new template file appears whole or not at all.

#include "DbFixture.h"

#include "core/ErrorTable.h"
#include "db/Transaction.h"
#include "fakes/FaultyDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace kv;
using namespace kv::test;

namespace {

// The error a call raised (0 for none); anything but an engine error fails the test.
int raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

class WriteFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        original = dir.filePath(QStringLiteral("original.mdb"));
        db::createTemplateDatabase(original, db::readShopsCsv(fixtureShops()));
        path = dir.filePath(QStringLiteral("KORDB.MDB"));
    }

    void openFresh() {
        database.Close();
        QFile::remove(path);
        QFile::remove(path + "-journal");
        ASSERT_TRUE(QFile::copy(original, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        database = Database::open(path);
        database.Execute(QStringLiteral(
            "INSERT INTO [Collection - Contents] ([Collection ID], [Catalogue Number], [Title]) "
            "VALUES (1, \"A-1\", \"First\")"));
        before = dumpDatabase(path);
    }

    // Every fault of one call of the layer, which must reach more than a few; the number
    // tried is kept as the test's property `what`.
    void underEveryFault(const char* what, const std::function<void()>& call) {
        const int faults = faultsOf(call);
        EXPECT_GT(faults, 3) << what;
        RecordProperty(what, faults);
    }
    int faultsOf(const std::function<void()>& call) {
        int error = 0;
        return forEveryFault([&] { openFresh(); },
                             [&] {
                                 error = raised(call);
                                 return error == 0;
                             },
                             [&](int n, bool) {
                                 SCOPED_TRACE("fault " + std::to_string(n));
                                 EXPECT_EQ(error, err::DiskOrNetworkError);
                                 EXPECT_TRUE(dumpDatabase(path) == before) << "the tables changed";
                                 EXPECT_EQ(integrityOf(path), "ok");
                                 EXPECT_EQ(raised(call), 0); // the same connection carries on
                                 EXPECT_FALSE(dumpDatabase(path) == before)
                                     << "the retry changed nothing";
                             },
                             [&] { database.Close(); });
    }

    QTemporaryDir dir;
    QString original, path, before;
    Database database;
};

TEST_F(WriteFaultTest, RecordSetWrites) {
    auto contents = [&] {
        Recordset rs = database.OpenRecordset(QStringLiteral("Collection - Contents"));
        rs.setIndex(QStringLiteral("PrimaryKey"));
        return rs;
    };
    underEveryFault("add", [&] {
        Recordset rs = contents();
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), 1);
        rs.setValue(QStringLiteral("Catalogue Number"), QStringLiteral("A-2"));
        rs.Update();
    });
    underEveryFault("edit", [&] {
        Recordset rs = contents();
        rs.Seek(QStringLiteral("="), 1, QStringLiteral("A-1"));
        rs.Edit();
        rs.setValue(QStringLiteral("Notes"), QStringLiteral("changed"));
        rs.Update();
    });
    underEveryFault("delete", [&] {
        Recordset rs = contents();
        rs.Seek(QStringLiteral("="), 1, QStringLiteral("A-1"));
        rs.Delete();
    });
    // A value over many pages, and a new counter in a table of its own sequence.
    underEveryFault("long_value", [&] {
        Recordset rs = database.OpenRecordset(QStringLiteral("Collection"));
        rs.setIndex(QStringLiteral("PrimaryKey"));
        rs.Seek(QStringLiteral("="), 0);
        rs.Edit();
        rs.Fields(QStringLiteral("Collection Icon")).AppendChunk(QByteArray(60000, 'i'));
        rs.Update();
    });
    underEveryFault("counter", [&] {
        Recordset rs = database.OpenRecordset(QStringLiteral("Connections"));
        rs.AddNew();
        rs.setValue(QStringLiteral("Connection Name"), QStringLiteral("New"));
        rs.Update();
    });
}

TEST_F(WriteFaultTest, StatementsAndTransactions) {
    underEveryFault("statement", [&] {
        database.Execute(QStringLiteral(
            "UPDATE [Collection - Contents] SET [Order] = True WHERE [Collection ID]=1"));
    });
    underEveryFault("transaction", [&] {
        Transaction t(database);
        database.Execute(
            QStringLiteral("DELETE FROM [Collection - Contents] WHERE [Collection ID] = 1"));
        database.Execute(QStringLiteral("DELETE FROM [Collection] WHERE "
                                        "[Collection ID] = 1"));
        t.commit();
    });
}

TEST_F(WriteFaultTest, ANewTemplateReplacesTheOldOneWholeOrNotAtAll) {
    int error = 0;
    const int faults = forEveryFault(
        [&] {
            openFresh();
            database.Close();
        },
        [&] {
            error = raised([&] { db::createTemplateDatabase(path, {}); });
            return error == 0;
        },
        [&](int n, bool) {
            SCOPED_TRACE("fault " + std::to_string(n));
            EXPECT_EQ(error, err::DiskOrNetworkError);
            EXPECT_TRUE(dumpDatabase(path) == before) << "the tables changed";
            EXPECT_EQ(QDir(dir.path()).entryList({"*.partial*"}, QDir::Files), QStringList());
        },
        [] {});
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
    EXPECT_EQ(integrityOf(path), "ok");
    EXPECT_FALSE(dumpDatabase(path) == before) << "the retry changed nothing";
}

} // namespace
