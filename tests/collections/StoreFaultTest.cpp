// The collection store on a failing disk: each write of the store runs with its n-th
// write, sync or lock failing, for every n. The user is told the engine's error, the
// database is exactly as it was before (every table, and SQLite's integrity check), and
// the same operation succeeds when tried again in the same session.

#include "CollectionFixture.h"

#include "collections/frmPropAlbum.h"
#include "core/ErrorTable.h"
#include "fakes/FaultyDisk.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

class StoreFaultTest : public StoreTest {
protected:
    // A fresh copy of the template with a collection of two items, opened (through the
    // faulty disk) with the store loaded.
    void openFreshStore() {
        closeStore();
        QFile::remove(path);
        QFile::remove(path + "-journal");
        ASSERT_TRUE(QFile::copy(QStringLiteral(KV_APP_DIR "/KORDB.MDB"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        catalogueState().dbCatalogue = Database::open(path);
        addCollectionRow(2, "Vinyl");
        addItemRow(2, "POLS 272", 101, "Arrival");
        addItemRow(2, "SRS 2001", 102, "Waterloo");
        ASSERT_TRUE(bInit_RCollections());
        t.messages.boxes.clear();
        before = dumpDatabase(path);
        keysBefore = keys();
    }
    void closeStore() {
        CloseCollections();
        db().Close();
    }

    // Runs the operation under every fault; prepare() runs before each attempt (to queue
    // the user's answers). Returns the number of faults tried.
    int underEveryFault(const std::function<void()>& prepare, const std::function<bool()>& op) {
        return forEveryFault(
            [&] {
                openFreshStore();
                prepare();
            },
            op,
            [&](int n, bool ok) {
                SCOPED_TRACE("fault " + std::to_string(n));
                EXPECT_FALSE(ok) << "a failed write passed for success";
                ASSERT_FALSE(t.messages.boxes.empty()) << "the user was not told";
                EXPECT_TRUE(t.messages.boxes.front().text.startsWith(
                    QStringLiteral("Error: %1 ").arg(err::DiskOrNetworkError)))
                    << t.messages.boxes.front().text.toStdString();
                EXPECT_TRUE(dumpDatabase(path) == before) << "the tables changed";
                EXPECT_EQ(integrityOf(path), "ok");
                EXPECT_EQ(keys(), keysBefore); // the list follows only what was stored
                // Nothing is stuck: the same action works when tried again.
                prepare();
                t.messages.boxes.clear();
                EXPECT_TRUE(op());
                EXPECT_FALSE(dumpDatabase(path) == before) << "the retry changed nothing";
            },
            [&] { closeStore(); });
    }

    QString before;
    QStringList keysBefore;
};

TEST_F(StoreFaultTest, AddingToACollection) {
    const int faults =
        underEveryFault([] {},
                        [] {
                            return bCollection_Item_Add(2, recording(103, "Voulez-Vous", "Abba"),
                                                        release("POLS 292", "Polar", "1979", "LP"));
                        });
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
}

TEST_F(StoreFaultTest, EditingAnItem) {
    const int faults = underEveryFault(
        [&] {
            t.dialogs.script([](QDialog& d) {
                auto& dialog = static_cast<frmPropAlbum&>(d);
                dialog.txtUDF[1]->setText(QStringLiteral("Mint"));
                dialog.txtNotes->setPlainText(QStringLiteral("Signed \"sleeve\""));
                dialog.cmdOK->click();
            });
        },
        [] { return bCollection_Item_Edit(2, QStringLiteral("POLS 272")); });
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
}

TEST_F(StoreFaultTest, DeletingACollectionWithItsItems) {
    const int faults =
        underEveryFault([] {}, [] { return RCollections().Remove(QStringLiteral("R2")); });
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
}

TEST_F(StoreFaultTest, AddingACollection) {
    const int faults = underEveryFault([] {},
                                       [] {
                                           QString key;
                                           return RCollections().Add_Item(key);
                                       });
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
}

TEST_F(StoreFaultTest, RemovingAnItem) {
    const int faults = underEveryFault(
        [] {}, [] { return bCollection_Item_Delete(2, QStringLiteral("SRS 2001")); });
    EXPECT_GT(faults, 3);
    RecordProperty("faults", faults);
}

} // namespace
