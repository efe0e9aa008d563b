// Adding, editing, deleting and finding collection items, and the item dialog they open.

#include "CollectionFixture.h"

#include "collections/frmPropAlbum.h"
#include "db/Transaction.h"
#include "settings/ui/frmHelp.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

using namespace kv;
using namespace kv::test;

namespace {

const TopicRecord kArrival = recording(101, "Arrival", "Abba");
const ReleaseRecord kPols = release("POLS 272", "Polar", "1976", "LP");

class ItemTest : public StoreTest {
protected:
    ItemTest() {
        addCollectionRow(2, "Vinyl");
        native(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1,
                  "User Field 5" = 'Bought', "User Field 5 visible" = 1,
                  "User Field 3" = 'Hidden one' WHERE "Collection ID" = 2)");
        EXPECT_TRUE(bInit_RCollections());
    }
    QVariantList item(int collection, const QString& catalogue) {
        const auto r =
            rows(QStringLiteral(
                     "SELECT [Album ID], [Title], [Artist], [Label], [Medium], [Release Date], "
                     "[Deleted], [Deleted Date], [User Field 1], [User Field 2], [User Field 5], "
                     "[Notes], [Order] FROM [Collection - Contents] WHERE [Collection ID]=%1 AND "
                     "[Catalogue Number]=\"%2\"")
                     .arg(collection)
                     .arg(catalogue));
        return r.empty() ? QVariantList() : r.front();
    }
};

TEST_F(ItemTest, AQuickAddStoresTheRecordingAndReleaseWithNullForEmptyValues) {
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    ASSERT_TRUE(bCollection_Item_Add(2, recording(7, "Untitled \"demo\"", ""), release("X'1")));
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_TRUE(t.dialogs.shown.isEmpty());

    const QVariantList a = item(2, "POLS 272");
    ASSERT_FALSE(a.isEmpty());
    EXPECT_EQ(a[0].toInt(), 101);
    EXPECT_EQ(a[1].toString(), "Arrival");
    EXPECT_EQ(a[2].toString(), "Abba");
    EXPECT_EQ(a[3].toString(), "Polar");
    EXPECT_EQ(a[4].toString(), "LP");
    EXPECT_EQ(a[5].toString(), "1976");
    EXPECT_FALSE(a[6].toBool());
    EXPECT_TRUE(a[7].isNull());
    EXPECT_FALSE(a[12].toBool());

    const QVariantList b = item(2, "X'1");
    ASSERT_FALSE(b.isEmpty());
    EXPECT_EQ(b[1].toString(), "Untitled \"demo\"");
    for (int k : {2, 3, 4, 5, 7})
        EXPECT_TRUE(b[k].isNull()) << k;

    ASSERT_TRUE(
        bCollection_Item_Add(1, kArrival, release("821 319-2", "Polydor", "1984", "CD", "1999")));
    const QVariantList c = item(1, "821 319-2");
    EXPECT_TRUE(c[6].toBool());
    EXPECT_EQ(c[7].toString(), "1999");
}

TEST_F(ItemTest, TheSameReleaseTwiceInOneCollectionIsRefusedButTwoCollectionsHoldIt) {
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    const int beeps = t.messages.beeps;
    EXPECT_FALSE(bCollection_Item_Add(2, kArrival, kPols));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, "This recording is already in the collection");
    EXPECT_EQ(t.messages.last().buttons, mb::OKOnly);
    EXPECT_EQ(t.messages.last().title, "");
    EXPECT_EQ(t.messages.beeps, beeps + 1);
    // Catalogue numbers compare without regard to case, as the key does.
    EXPECT_FALSE(bCollection_Item_Add(2, kArrival, release("pols 272")));
    EXPECT_EQ(itemsOf(2), QStringList({"POLS 272"}));

    // The cursor is not left half-way through an add.
    ASSERT_TRUE(bCollection_Item_Add(1, kArrival, kPols));
    EXPECT_EQ(itemsOf(1), QStringList({"POLS 272"}));
    EXPECT_EQ(t.messages.boxes.size(), 2u);

    bool found = false;
    QList<qint16> ids;
    ASSERT_TRUE(bCollections_List("POLS 272", found, ids));
    EXPECT_TRUE(found);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, QList<qint16>({1, 2}));
}

TEST_F(ItemTest, ListingTheCollectionsOfAReleaseAnsweredForUnknownAndManyHolders) {
    bool found = true;
    QList<qint16> ids{5, 6};
    ASSERT_TRUE(bCollections_List("NOBODY 1", found, ids));
    EXPECT_FALSE(found);
    EXPECT_EQ(ids, QList<qint16>({0}));

    // More holders than the first hundred slots, and neighbours on either side.
    {
        Transaction batch(db());
        for (int id = 10; id < 160; ++id) {
            addCollectionRow(id, QString::number(id));
            addItemRow(id, "SHARED 1", 55, "Shared");
        }
        batch.commit();
    }
    addItemRow(2, "SHARED 0", 54, "Before");
    addItemRow(3, "SHARED 2", 56, "After");
    ASSERT_TRUE(bCollections_List("shared 1", found, ids));
    EXPECT_TRUE(found);
    ASSERT_EQ(ids.size(), 150);
    EXPECT_EQ(ids.front(), 10);
    EXPECT_EQ(ids.back(), 159);

    // The last release in index order runs the scan off the end of the table.
    addItemRow(4, "ZZZ 9", 57, "Last");
    ASSERT_TRUE(bCollections_List("ZZZ 9", found, ids));
    EXPECT_EQ(ids, QList<qint16>({4}));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ItemTest, FindsTheFirstReleaseOfARecordingInAnyCollection) {
    QString catalogue = "stale";
    EXPECT_FALSE(bReleases_FindFirst(101, catalogue));
    EXPECT_EQ(catalogue, "");
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    EXPECT_TRUE(bReleases_FindFirst(101, catalogue));
    EXPECT_EQ(catalogue, "POLS 272");
    EXPECT_FALSE(bReleases_FindFirst(102, catalogue));
}

TEST_F(ItemTest, WithoutQuickAddTheItemDialogOpensAndCancellingTakesTheItemAway) {
    t.ctx().options.bQuickAdd = false;
    t.dialogs.script([](QDialog& d) { static_cast<frmPropAlbum&>(d).cmdCancel->click(); });
    EXPECT_FALSE(bCollection_Item_Add(2, kArrival, kPols));
    EXPECT_TRUE(itemsOf(2).isEmpty());
    EXPECT_TRUE(t.messages.boxes.empty());

    t.dialogs.script([](QDialog& d) {
        auto& dialog = static_cast<frmPropAlbum&>(d);
        dialog.txtUDF[2]->setText("Mint");
        dialog.txtUDF[5]->setText("");
        dialog.txtNotes->setPlainText("Signed \"sleeve\"");
        dialog.cmdOK->click();
    });
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    const QVariantList a = item(2, "POLS 272");
    EXPECT_EQ(a[9].toString(), "Mint");
    EXPECT_TRUE(a[10].isNull());
    EXPECT_EQ(a[11].toString(), "Signed \"sleeve\"");
    EXPECT_EQ(t.dialogs.shown, QStringList({"frmPropAlbum", "frmPropAlbum"}));
}

TEST_F(ItemTest, TheItemDialogShowsTheStoredItemAndStoresOnlyTheUsersValues) {
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    native(R"(UPDATE "Collection - Contents" SET "User Field 1" = 'kept', "User Field 2" = 'Worn',
              "Notes" = 'old' WHERE "Catalogue Number" = 'POLS 272')");
    int depthInDialog = -1;
    t.dialogs.script([&](QDialog& d) {
        auto& dialog = static_cast<frmPropAlbum&>(d);
        depthInDialog = t.busy.depth();
        EXPECT_TRUE(collectionStore().bItemDialogLoaded);
        EXPECT_EQ(dialog.windowTitle(), "Details in - Vinyl");
        EXPECT_EQ(dialog.ThisCollection(), "R2");
        EXPECT_EQ(dialog.txtTitle->text(), "Arrival");
        EXPECT_EQ(dialog.txtArtist->text(), "Abba");
        EXPECT_EQ(dialog.txtCatNumber->text(), "POLS 272");
        EXPECT_EQ(dialog.txtReleaseDate->text(), "1976");
        EXPECT_EQ(dialog.txtMedium->text(), "LP");
        EXPECT_EQ(dialog.txtLabel->text(), "Polar");
        EXPECT_EQ(dialog.txtUDF[2]->text(), "Worn");
        EXPECT_EQ(dialog.txtNotes->toPlainText(), "old");
        // The fixed details are shown, never written back.
        EXPECT_TRUE(dialog.txtTitle->isReadOnly());
        dialog.txtTitle->setText("Changed title");
        dialog.txtUDF[2]->setText("");
        dialog.txtNotes->setPlainText("");
        dialog.cmdOK->click();
    });
    t.busy.everBusy = 0;
    ASSERT_TRUE(bCollection_Item_Edit(2, "POLS 272"));
    EXPECT_EQ(depthInDialog, 0);
    EXPECT_GT(t.busy.everBusy, 0);
    EXPECT_EQ(t.busy.depth(), 0);
    EXPECT_FALSE(collectionStore().bItemDialogLoaded);
    const QVariantList a = item(2, "POLS 272");
    EXPECT_EQ(a[1].toString(), "Arrival");
    EXPECT_EQ(a[8].toString(), "kept"); // a hidden field keeps its value
    EXPECT_TRUE(a[9].isNull());
    EXPECT_TRUE(a[11].isNull());

    // Cancel stores nothing.
    t.dialogs.script([](QDialog& d) {
        auto& dialog = static_cast<frmPropAlbum&>(d);
        dialog.txtUDF[2]->setText("Never");
        dialog.reject();
    });
    EXPECT_FALSE(bCollection_Item_Edit(2, "POLS 272"));
    EXPECT_TRUE(item(2, "POLS 272")[9].isNull());
}

TEST_F(ItemTest, MissingItemsAreToldWithTheirOwnMessages) {
    EXPECT_FALSE(bCollection_Item_Edit(2, "NONE 1"));
    EXPECT_FALSE(bCollection_Item_Delete(2, "NONE 1"));
    EXPECT_EQ(texts(), QStringList({"No album selected to edit", "No matching record"}));
    EXPECT_TRUE(t.dialogs.shown.isEmpty());
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(ItemTest, RemovingAnItemAsksFirstWhenConfirmDeleteIsOn) {
    ASSERT_TRUE(bCollection_Item_Add(2, kArrival, kPols));
    ASSERT_TRUE(bCollection_Item_Add(1, kArrival, kPols));

    t.messages.answer(mb::No);
    EXPECT_FALSE(bCollection_DeleteFrom(2, "POLS 272", "Arrival"));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text,
              "Are you sure you want to remove 'Arrival' from this collection 'Vinyl'");
    EXPECT_EQ(t.messages.last().buttons, mb::YesNo);
    EXPECT_EQ(t.messages.last().icon, mb::Question);
    EXPECT_EQ(t.messages.last().defaultButton, mb::Default2);
    EXPECT_EQ(itemsOf(2), QStringList({"POLS 272"}));

    t.messages.answer(mb::Yes);
    EXPECT_TRUE(bCollection_DeleteFrom(2, "POLS 272", "Arrival"));
    EXPECT_TRUE(itemsOf(2).isEmpty());
    EXPECT_EQ(itemsOf(1), QStringList({"POLS 272"}));

    t.ctx().options.bConfirmDelete = false;
    EXPECT_TRUE(bCollection_DeleteFrom(1, "POLS 272", "Arrival"));
    EXPECT_TRUE(itemsOf(1).isEmpty());
    EXPECT_EQ(t.messages.boxes.size(), 2u);
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(ItemTest, AddingFromTheSearchScreenSaysWhereTheRecordingWent) {
    t.busy.everBusy = 0;
    ASSERT_TRUE(bCollection_Addto(1, kArrival, kPols));
    EXPECT_EQ(frmHelp::instance()->Label1->text(),
              "'Arrival'\r\n added to 'Shopping List' collection");
    EXPECT_FALSE(frmHelp::instance()->isVisible());
    EXPECT_GT(t.busy.everBusy, 0);
    EXPECT_EQ(t.busy.depth(), 0);
    EXPECT_EQ(itemsOf(1), QStringList({"POLS 272"}));

    // Nothing shown, or no release chosen: nothing is added.
    EXPECT_FALSE(bCollection_Addto(1, TopicRecord(), ReleaseRecord()));
    EXPECT_EQ(t.messages.last().text, "Please select a recording");
    // A duplicate says so once and shows no message window.
    frmHelp::instance()->Label1->clear();
    EXPECT_FALSE(bCollection_Addto(1, kArrival, kPols));
    EXPECT_EQ(t.messages.last().text, "This recording is already in the collection");
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "");
    EXPECT_EQ(t.busy.depth(), 0);
}

} // namespace
