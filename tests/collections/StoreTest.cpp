// The collection list and the collection operations against a real database file.

#include "CollectionFixture.h"

#include "collections/SearchCollections.h"
#include "core/ErrorTable.h"
#include "core/VbError.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

using namespace kv;
using namespace kv::test;

namespace {

QStringList captions(const SearchCollections& s) {
    QStringList out;
    for (QAction* a : s.mnuPop2Collection())
        out << a->text() + QLatin1Char('=') + a->data().toString();
    return out;
}

class CollectionListTest : public StoreTest {
protected:
    CollectionListTest() {
        menu = new QMenu;
        icons = new QWidget;
        search = std::make_unique<SearchCollections>(
            SearchCollections::Widgets{menu, icons, nullptr, nullptr, nullptr}, nullptr);
    }
    ~CollectionListTest() override {
        search.reset();
        delete menu;
        delete icons;
    }
    QMenu* menu;
    QWidget* icons;
    std::unique_ptr<SearchCollections> search;
};

TEST_F(CollectionListTest, LoadsEveryCollectionInNumberOrderWithItsFieldsAndMenuElement) {
    addCollectionRow(7, "Jazz");
    addCollectionRow(3, "Vinyl & Tapes");
    native(R"(INSERT INTO "Collection" ("Collection ID") VALUES (4))");
    native(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1,
              "User Field 4 visible" = 1 WHERE "Collection ID" = 3)");
    ASSERT_TRUE(bInit_RCollections());
    EXPECT_TRUE(t.messages.boxes.empty());

    EXPECT_EQ(keys(), QStringList({"R0", "R1", "R3", "R4", "R7"}));
    NRCollections& list = RCollections();
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.item("R1")->strTitle, "Shopping List");
    EXPECT_TRUE(list.item("R0")->bBuiltin);
    EXPECT_FALSE(list.item("R3")->bBuiltin);
    EXPECT_EQ(list.item("R4")->strTitle, ""); // a Null name reads as empty
    const CCollection* vinyl = list.item("R3");
    EXPECT_EQ(vinyl->intCollectionID, 3);
    EXPECT_EQ(vinyl->intIconIndex, 2);
    EXPECT_EQ(vinyl->UDFTitle(2), "Condition");
    EXPECT_TRUE(vinyl->UDFvisible(2));
    EXPECT_TRUE(vinyl->UDFvisible(4));
    EXPECT_EQ(vinyl->UDFTitle(4), ""); // enabled without a title: the table allows it
    EXPECT_FALSE(vinyl->UDFvisible(1));
    EXPECT_EQ(list.item("R9"), nullptr);
    EXPECT_EQ(list.item("3"), nullptr);

    EXPECT_EQ(captions(*search), QStringList({"My Collection=0", "Shopping List=1",
                                              "Vinyl && Tapes=3", "=4", "Jazz=7"}));
}

TEST_F(CollectionListTest, IconsComeFromTheFieldAndADamagedOneCostsOnlyThePicture) {
    const QString ico = writePicture(dir.filePath("disc.ico"), 32, "ICO");
    addCollectionRow(2, "With icon");
    addCollectionRow(3, "Broken icon");
    {
        Recordset rs = db().OpenRecordset("Collection", dbOpenTable);
        rs.setIndex("PrimaryKey");
        rs.Seek("=", 2);
        rs.Edit();
        rs.Fields("Collection Icon").AppendChunk(fileBytes(ico));
        rs.Update();
        rs.Seek("=", 3);
        rs.Edit();
        rs.Fields("Collection Icon").AppendChunk(QByteArray(5000, 'x'));
        rs.Update();
    }
    const QStringList tempBefore = QDir::temp().entryList({"korvanda-icon-*"});
    ASSERT_TRUE(bInit_RCollections());
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_EQ(RCollections().item("R2")->Collection_icon.size(), QSize(32, 32));
    EXPECT_TRUE(RCollections().item("R3")->Collection_icon.isNull());
    EXPECT_TRUE(RCollections().item("R0")->Collection_icon.isNull());
    EXPECT_EQ(RCollections().item("R3")->strTitle, "Broken icon");
    // The temporary copies are gone again.
    EXPECT_EQ(QDir::temp().entryList({"korvanda-icon-*"}), tempBefore);
}

TEST_F(CollectionListTest, NewCollectionsNumberOnePastTheHighestAndReuseADeletedHighest) {
    addCollectionRow(5, "Five");
    ASSERT_TRUE(bInit_RCollections());
    QString key;
    ASSERT_TRUE(RCollections().Add_Item(key));
    EXPECT_EQ(key, "R6");
    ASSERT_TRUE(RCollections().Add_Item(key));
    EXPECT_EQ(key, "R7");
    EXPECT_EQ(collectionIds(), QStringList({"0", "1", "5", "6", "7"}));
    // The new row carries nothing but its number.
    const auto row = rows(
        "SELECT [Collection Name], [Builtin], [Notes] FROM [Collection] WHERE [Collection ID]=7");
    ASSERT_EQ(row.size(), 1u);
    EXPECT_TRUE(row[0][0].isNull());
    EXPECT_FALSE(row[0][1].toBool());
    EXPECT_TRUE(row[0][2].isNull());

    ASSERT_TRUE(RCollections().Remove("R7"));
    ASSERT_TRUE(RCollections().Add_Item(key));
    EXPECT_EQ(key, "R7");
    EXPECT_EQ(keys(), QStringList({"R0", "R1", "R5", "R6", "R7"}));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(CollectionListTest, MenuElementsStayDistinctAfterAMiddleCollectionGoes) {
    addCollectionRow(2, "Two");
    addCollectionRow(3, "Three");
    ASSERT_TRUE(bInit_RCollections());
    ASSERT_TRUE(RCollections().Remove("R2"));
    EXPECT_EQ(captions(*search), QStringList({"My Collection=0", "Shopping List=1", "Three=3"}));
    QString key;
    ASSERT_TRUE(RCollections().Add_Item(key));
    // The count (3) names Three's element; the new one takes its own.
    EXPECT_EQ(RCollections().item(key)->intIconIndex, 4);
    EXPECT_EQ(captions(*search),
              QStringList({"My Collection=0", "Shopping List=1", "Three=3", "=4"}));
    EXPECT_EQ(menu->actions().size(), 4);
}

TEST_F(CollectionListTest, TheLastNumberCannotBeFollowedAndNothingChanges) {
    addCollectionRow(32767, "Last");
    ASSERT_TRUE(bInit_RCollections());
    QString key = "old";
    EXPECT_FALSE(RCollections().Add_Item(key));
    EXPECT_EQ(key, "");
    ASSERT_EQ(t.messages.boxes.size(), 2u);
    EXPECT_EQ(t.messages.boxes[0].text,
              QString("Error: 6 ") + errorDescription(err::Overflow) + "\rbCollection_DB_AddNew");
    EXPECT_EQ(t.messages.boxes[1].text, "Add Failed");
    EXPECT_EQ(RCollections().Count(), 3);
    EXPECT_EQ(collectionIds().size(), 3);
}

TEST_F(CollectionListTest, DeletingACollectionTakesItsItemsAndRowTogetherOrNothing) {
    addCollectionRow(4, "Four");
    addCollectionRow(5, "Five");
    addItemRow(4, "A 1", 11, "First");
    addItemRow(4, "A 2", 12, "Second");
    addItemRow(5, "A 1", 11, "First");
    ASSERT_TRUE(bInit_RCollections());

    // The row has gone from under the list: the items' deletion goes through, the row's
    // fails (no current record), and the items must come back.
    native(R"(DELETE FROM "Collection" WHERE "Collection ID" = 4)");
    EXPECT_FALSE(RCollections().Remove("R4"));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, QString("Error: 3021 ") +
                                          errorDescription(err::NoCurrentRecord) +
                                          "\rbCollection_DB_Delete");
    EXPECT_EQ(itemsOf(4), QStringList({"A 1", "A 2"}));
    EXPECT_NE(RCollections().item("R4"), nullptr);
    EXPECT_EQ(captions(*search).size(), 4);

    addCollectionRow(4, "Four");
    ASSERT_TRUE(RCollections().Remove("R4"));
    EXPECT_TRUE(itemsOf(4).isEmpty());
    EXPECT_EQ(itemsOf(5), QStringList({"A 1"}));
    EXPECT_FALSE(collectionIds().contains("4"));
    EXPECT_EQ(RCollections().item("R4"), nullptr);
    EXPECT_EQ(captions(*search), QStringList({"My Collection=0", "Shopping List=1", "Five=5"}));
    // The cursor on the contents still works after the statement.
    QString found;
    EXPECT_TRUE(bReleases_FindFirst(11, found));
    EXPECT_EQ(found, "A 1");
}

TEST_F(CollectionListTest, BuiltInCollectionsAreNeverRemoved) {
    ASSERT_TRUE(bInit_RCollections());
    EXPECT_FALSE(RCollections().Remove("R0"));
    EXPECT_FALSE(RCollections().Remove("R1"));
    EXPECT_FALSE(RCollections().Remove("R42"));
    EXPECT_EQ(collectionIds(), QStringList({"0", "1"}));
    EXPECT_EQ(RCollections().Count(), 2);
}

TEST_F(CollectionListTest, RefreshReadsTheTableAgainAndAFailedOneKeepsTheList) {
    ASSERT_TRUE(bInit_RCollections());
    addCollectionRow(9, "Added elsewhere");
    ASSERT_TRUE(RCollections().Refresh());
    EXPECT_EQ(keys(), QStringList({"R0", "R1", "R9"}));
    EXPECT_EQ(captions(*search).size(), 3);

    collectionStore().rsCollectionHead.Close();
    EXPECT_FALSE(RCollections().Refresh());
    EXPECT_EQ(keys(), QStringList({"R0", "R1", "R9"}));
    EXPECT_EQ(captions(*search).size(), 3);
}

TEST_F(CollectionListTest, StartUpFailsWithoutTheTablesAndShutdownClosesTheCursors) {
    native(R"(DROP TABLE "Collection - Contents")");
    EXPECT_FALSE(bInit_RCollections());
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.startsWith("Error: 3011 "));
    EXPECT_TRUE(t.messages.last().text.endsWith("\rbOpenCollectionDetails"));

    CloseCollections();
    EXPECT_TRUE(collectionStore().rsCollectionHead.isNull());
    EXPECT_TRUE(collectionStore().rsCollectionDetails.isNull());
}

} // namespace
