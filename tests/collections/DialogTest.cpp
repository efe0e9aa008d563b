// The collection and item dialogs, and managing collections from the two list screens.

#include "CollectionFixture.h"

#include "collections/SearchCollections.h"
#include "collections/frmPropAlbum.h"
#include "collections/frmpropCollection.h"
#include "core/ErrorTable.h"
#include "settings/HelpContexts.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace kv;
using namespace kv::test;

namespace {

class CollectionDialogTest : public StoreTest {
protected:
    CollectionDialogTest() {
        addCollectionRow(2, "Vinyl");
        EXPECT_TRUE(bInit_RCollections());
    }
    // Opens the property dialog of a collection with a script standing for the user.
    bool editWith(const QString& key, std::function<void(frmpropCollection&)> user) {
        t.dialogs.script([user](QDialog& d) { user(static_cast<frmpropCollection&>(d)); });
        return RCollections().item(key)->Item_Edit();
    }
    QVariantList headRow(int id) {
        const auto r = rows(
            QStringLiteral("SELECT [Collection Name], [Notes], [User Field 1], [User Field 2], "
                           "[User Field 2 visible], [User Field 3], [User Field 3 visible] "
                           "FROM [Collection] WHERE [Collection ID]=%1")
                .arg(id));
        return r.empty() ? QVariantList() : r.front();
    }
    QByteArray storedIcon(int id) {
        Recordset rs = db().OpenRecordset("Collection", dbOpenTable);
        rs.setIndex("PrimaryKey");
        rs.Seek("=", id);
        const Field f = rs.Fields("Collection Icon");
        return f.GetChunk(0, f.FieldSize());
    }
};

TEST_F(CollectionDialogTest, ShowsTheSystemsCaptionsAndTheCollectionsValues) {
    native(R"(UPDATE "Collection" SET "Notes" = 'Mostly LPs', "User Field 3" = 'Grade',
              "User Field 3 visible" = 1 WHERE "Collection ID" = 2)");
    ASSERT_TRUE(RCollections().Refresh());
    editWith("R2", [](frmpropCollection& d) {
        EXPECT_EQ(d.windowTitle(), "Collection");
        EXPECT_EQ(d.SSTProps->tabText(1), "User Defined Categories");
        EXPECT_EQ(d.lblUDF[5]->text(), "User Category 5");
        EXPECT_EQ(d.txtName->text(), "Vinyl");
        EXPECT_EQ(d.txtNotes->toPlainText(), "Mostly LPs");
        EXPECT_EQ(d.txtUDF[3]->text(), "Grade");
        EXPECT_TRUE(d.chkUDF[3]->isChecked());
        EXPECT_FALSE(d.chkUDF[1]->isChecked());
        EXPECT_FALSE(d.IconDirty);
        EXPECT_FALSE(d.Accepted);
        d.cmdHelp->click();
        d.cmdCancel->click();
    });
    EXPECT_EQ(t.help.contexts, std::vector<int>{help::CollectionProperties});
}

TEST_F(CollectionDialogTest, ConfirmedValuesAreStoredThenKeptInMemoryAndInTheMenu) {
    QMenu menu;
    SearchCollections search({&menu, nullptr, nullptr, nullptr, nullptr}, nullptr);
    native(R"(UPDATE "Collection" SET "User Field 1" = 'Old title' WHERE "Collection ID" = 2)");
    ASSERT_TRUE(RCollections().Refresh());
    ASSERT_TRUE(editWith("R2", [](frmpropCollection& d) {
        d.txtName->setText("Vinyl \"first\" pressings");
        d.txtNotes->setPlainText("");
        d.txtUDF[1]->setText(""); // cleared: stored as Null
        d.txtUDF[2]->setText("Condition");
        d.chkUDF[2]->setChecked(true);
        d.txtUDF[3]->setText("Titled but off");
        d.cmdOK->click();
    }));
    const QVariantList row = headRow(2);
    EXPECT_EQ(row[0].toString(), "Vinyl \"first\" pressings");
    EXPECT_TRUE(row[1].isNull());
    EXPECT_TRUE(row[2].isNull());
    EXPECT_EQ(row[3].toString(), "Condition");
    EXPECT_TRUE(row[4].toBool());
    EXPECT_EQ(row[5].toString(), "Titled but off");
    EXPECT_FALSE(row[6].toBool());

    const CCollection* c = RCollections().item("R2");
    EXPECT_EQ(c->strTitle, "Vinyl \"first\" pressings");
    EXPECT_EQ(c->UDFTitle(1), "");
    EXPECT_TRUE(c->UDFvisible(2));
    EXPECT_EQ(search.mnuPop2Collection().at(2)->text(), "Vinyl \"first\" pressings");
    // Read back from the table: the Null title is empty again.
    ASSERT_TRUE(RCollections().Refresh());
    EXPECT_EQ(RCollections().item("R2")->UDFTitle(1), "");
    EXPECT_EQ(RCollections().item("R2")->UDFTitle(3), "Titled but off");
}

TEST_F(CollectionDialogTest, TheEntriesAreCheckedBeforeTheDialogCloses) {
    editWith("R2", [this](frmpropCollection& d) {
        d.txtName->setText("");
        d.SSTProps->setCurrentIndex(1);
        d.cmdOK->click();
        EXPECT_EQ(t.messages.last().text, "Please enter a name for the collection");
        EXPECT_EQ(d.SSTProps->currentIndex(), 0);
        EXPECT_FALSE(d.Accepted);

        d.txtName->setText("   "); // blanks are a name
        d.chkUDF[3]->setChecked(true);
        d.cmdOK->click();
        EXPECT_EQ(t.messages.last().text,
                  "User Field 3 is enabled - Please enter a title for this field");
        EXPECT_EQ(d.SSTProps->currentIndex(), 1);
        EXPECT_FALSE(d.Accepted);

        d.txtUDF[3]->setText("Grade");
        d.txtUDF[4]->setText("Not enabled");
        d.cmdOK->click();
        EXPECT_TRUE(d.Accepted);
    });
    EXPECT_EQ(t.messages.boxes.size(), 2u);
    EXPECT_EQ(RCollections().item("R2")->strTitle, "   ");
    EXPECT_EQ(headRow(2)[0].toString(), "   ");
}

TEST_F(CollectionDialogTest, AChosenIconIsStoredWholeButCancellingStoresNothing) {
    const QString ico = writePicture(dir.filePath("disc.ico"), 32, "ICO", Qt::blue);
    t.files.answers = {ico};
    EXPECT_FALSE(editWith("R2", [](frmpropCollection& d) {
        d.cmdIcon->click();
        EXPECT_TRUE(d.IconDirty);
        d.txtName->setText("Renamed");
        d.cmdCancel->click();
    }));
    EXPECT_TRUE(storedIcon(2).isEmpty());
    EXPECT_EQ(RCollections().item("R2")->strTitle, "Vinyl");
    EXPECT_TRUE(RCollections().item("R2")->Collection_icon.isNull());
    ASSERT_EQ(t.files.requests.size(), 1u);
    EXPECT_EQ(t.files.requests[0].title, "Select Icon File");
    EXPECT_EQ(t.files.requests[0].filter, "Icon (*.ICO)|*.ICO|All (*.*)| *.*");

    t.files.answers = {ico};
    ASSERT_TRUE(editWith("R2", [&](frmpropCollection& d) {
        d.cmdIcon->click();
        EXPECT_EQ(d.iconFile(), ico);
        EXPECT_FALSE(d.imgIcon->pixmap().isNull());
        d.cmdOK->click();
    }));
    EXPECT_EQ(storedIcon(2), fileBytes(ico));
    EXPECT_EQ(RCollections().item("R2")->Collection_icon.size(), QSize(32, 32));
    ASSERT_TRUE(RCollections().Refresh());
    EXPECT_EQ(RCollections().item("R2")->Collection_icon.toImage().pixelColor(5, 5),
              QColor(Qt::blue));

    // Opening again shows it, and an unchanged icon is not read again.
    const QByteArray stored = storedIcon(2);
    ASSERT_TRUE(QFile::remove(ico));
    ASSERT_TRUE(editWith("R2", [](frmpropCollection& d) {
        EXPECT_FALSE(d.imgIcon->pixmap().isNull());
        d.cmdOK->click();
    }));
    EXPECT_EQ(storedIcon(2), stored);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(CollectionDialogTest, FilesThatAreNotIconsAreRefusedAndTheOldIconStays) {
    const QString good = writePicture(dir.filePath("good.ico"), 16, "ICO", Qt::green);
    const QString big = writePicture(dir.filePath("photo.png"), 300, "PNG");
    QFile text(dir.filePath("notes.ico"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture\n");
    text.close();
    t.files.answers = {good, text.fileName(), big, dir.filePath("missing.ico"), QString()};
    editWith("R2", [&](frmpropCollection& d) {
        d.cmdIcon->click();
        const QImage before = d.imgIcon->pixmap().toImage();
        for (int k = 0; k < 4; ++k) {
            d.cmdIcon->click();
            EXPECT_EQ(d.iconFile(), good);
            EXPECT_EQ(d.imgIcon->pixmap().toImage(), before);
            EXPECT_TRUE(d.IconDirty);
        }
        d.cmdIcon->click(); // cancelled
        EXPECT_EQ(d.iconFile(), good);
        d.cmdCancel->click();
    });
    EXPECT_EQ(texts(),
              QStringList({"This is not a valid Icon file", "This is not a valid Icon file",
                           errorDescription(err::FileNotFound)}));
}

TEST_F(CollectionDialogTest, AFailedWriteLeavesTheCollectionAsItWas) {
    // The chosen icon file goes away before OK: nothing of the dialog is stored.
    const QString ico = writePicture(dir.filePath("gone.ico"), 16, "ICO");
    t.files.answers = {ico};
    EXPECT_FALSE(editWith("R2", [&](frmpropCollection& d) {
        d.cmdIcon->click();
        d.txtName->setText("Never stored");
        QFile::remove(ico);
        d.cmdOK->click();
    }));
    EXPECT_EQ(RCollections().item("R2")->strTitle, "Vinyl");
    EXPECT_TRUE(RCollections().item("R2")->Collection_icon.isNull());
    EXPECT_EQ(headRow(2)[0].toString(), "Vinyl");
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_TRUE(t.messages.last().text.startsWith("Error: 53 "));
    EXPECT_TRUE(t.messages.last().text.endsWith("\rbWrite_File_to_Fld"));
    // The cursor is not left in the middle of an edit.
    EXPECT_EQ(collectionStore().rsCollectionHead.EditMode(), dbEditNone);

    // A row gone from under the list is not written either.
    native(R"(DELETE FROM "Collection" WHERE "Collection ID" = 2)");
    EXPECT_FALSE(editWith("R2", [](frmpropCollection& d) {
        d.txtName->setText("Nowhere");
        d.cmdOK->click();
    }));
    EXPECT_EQ(RCollections().item("R2")->strTitle, "Vinyl");
}

class CollectionScreensTest : public CollectionDialogTest {
protected:
    CollectionScreensTest() {
        for (QListWidget* list : {&screen, &dialog})
            for (const auto& c : RCollections().Items()) {
                auto* row = new QListWidgetItem(c->strTitle, list);
                row->setData(Qt::UserRole, int(c->intCollectionID));
            }
        registerCollectionList(CollectionList::Screen, &screen);
        registerCollectionList(CollectionList::Dialog, &dialog);
        collectionStore().screenCollectionChanged = [this](qint16 id) { screenRefreshed << id; };
    }
    static QStringList rowsOf(const QListWidget& list) {
        QStringList out;
        for (int r = 0; r < list.count(); ++r)
            out << list.item(r)->text() + QLatin1Char('=') +
                       list.item(r)->data(Qt::UserRole).toString();
        return out;
    }
    QListWidget screen;
    QListWidget dialog;
    QList<qint16> screenRefreshed;
};

TEST_F(CollectionScreensTest, ANewCollectionAppearsEverywhereOnlyWhenConfirmed) {
    t.dialogs.script([](QDialog& d) {
        auto& p = static_cast<frmpropCollection&>(d);
        p.txtName->setText("Jazz");
        p.cmdOK->click();
    });
    ASSERT_TRUE(bCollection_New());
    EXPECT_EQ(rowsOf(dialog),
              QStringList({"My Collection=0", "Shopping List=1", "Vinyl=2", "Jazz=3"}));
    EXPECT_EQ(rowsOf(screen), rowsOf(dialog));
    EXPECT_EQ(column("SELECT [Collection Name] FROM [Collection] WHERE [Collection ID]=3"),
              QStringList({"Jazz"}));

    // Cancelled: no row, no list entry, no menu element.
    QMenu menu;
    SearchCollections search({&menu, nullptr, nullptr, nullptr, nullptr}, nullptr);
    t.dialogs.script([](QDialog& d) { static_cast<frmpropCollection&>(d).cmdCancel->click(); });
    EXPECT_FALSE(bCollection_New());
    EXPECT_EQ(collectionIds(), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(RCollections().Count(), 4);
    EXPECT_EQ(dialog.count(), 4);
    EXPECT_EQ(menu.actions().size(), 4);
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(CollectionScreensTest, EditingRenamesTheRowInBothListsAndTellsTheScreen) {
    dialog.setCurrentRow(2);
    t.dialogs.script([](QDialog& d) {
        auto& p = static_cast<frmpropCollection&>(d);
        p.txtName->setText("Records");
        p.cmdOK->click();
    });
    ASSERT_TRUE(bCollection_Edit(CollectionList::Dialog));
    EXPECT_EQ(dialog.item(2)->text(), "Records");
    EXPECT_EQ(screen.item(2)->text(), "Records");
    EXPECT_EQ(screenRefreshed, QList<qint16>({2}));

    // Nothing selected: nothing happens.
    screen.setCurrentRow(-1);
    EXPECT_FALSE(bCollection_Edit(CollectionList::Screen));
    EXPECT_TRUE(t.dialogs.scripts.empty());
    EXPECT_EQ(t.dialogs.shown.size(), 1);
}

TEST_F(CollectionScreensTest, BuiltInCollectionsAreNotDeletedAndOthersOnlyOnYes) {
    screen.setCurrentRow(1);
    EXPECT_FALSE(bCollection_Delete(CollectionList::Screen));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, "You cannot delete the collections 'My Collection' or "
                                      "'Shopping List'\r they are built in to the program");
    EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
    EXPECT_EQ(t.messages.last().buttons, mb::OKOnly);

    addItemRow(2, "A 1", 1, "One");
    screen.setCurrentRow(2);
    dialog.setCurrentRow(2);
    t.messages.answer(mb::No);
    EXPECT_FALSE(bCollection_Delete(CollectionList::Screen));
    EXPECT_EQ(t.messages.last().text, "Are you sure you want to delete the collection 'Vinyl'");
    EXPECT_EQ(t.messages.last().icon, mb::Question);
    EXPECT_EQ(t.messages.last().defaultButton, mb::Default2);
    EXPECT_EQ(screen.count(), 3);

    t.messages.answer(mb::Yes);
    ASSERT_TRUE(bCollection_Delete(CollectionList::Screen));
    EXPECT_EQ(rowsOf(screen), QStringList({"My Collection=0", "Shopping List=1"}));
    EXPECT_EQ(rowsOf(dialog), rowsOf(screen));
    EXPECT_EQ(screen.currentRow(), 0);
    EXPECT_EQ(dialog.currentRow(), 0);
    EXPECT_EQ(collectionIds(), QStringList({"0", "1"}));
    EXPECT_TRUE(itemsOf(2).isEmpty());
}

TEST_F(CollectionScreensTest, AFailedDeletionLeavesTheListsAlone) {
    native(R"(DELETE FROM "Collection" WHERE "Collection ID" = 2)");
    dialog.setCurrentRow(2);
    t.messages.answer(mb::Yes);
    EXPECT_FALSE(bCollection_Delete(CollectionList::Dialog));
    EXPECT_EQ(dialog.count(), 3);
    EXPECT_EQ(screen.count(), 3);
    EXPECT_NE(RCollections().item("R2"), nullptr);
}

class ItemDialogTest : public StoreTest {
protected:
    ItemDialogTest() {
        addCollectionRow(2, "Vinyl");
        native(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1,
                  "User Field 5" = 'Bought', "User Field 5 visible" = 1,
                  "User Field 3" = 'Hidden one' WHERE "Collection ID" = 2)");
        EXPECT_TRUE(bInit_RCollections());
    }
};

TEST_F(ItemDialogTest, EnabledFieldsArePackedFromTheTopInOrder) {
    frmPropAlbum d;
    EXPECT_EQ(d.windowTitle(), "Collection Item");
    d.setThisCollection("R2");
    EXPECT_EQ(d.windowTitle(), "Details in - Vinyl");
    EXPECT_EQ(d.SSTab1->tabText(1), "My Details");
    EXPECT_TRUE(d.SSTab1->isTabEnabled(1));
    QList<int> shown;
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(d.LblUDF[i]->isHidden(), d.txtUDF[i]->isHidden());
        if (!d.txtUDF[i]->isHidden()) shown << i;
    }
    EXPECT_EQ(shown, QList<int>({2, 5}));
    EXPECT_EQ(d.LblUDF[2]->text(), "Condition");
    EXPECT_EQ(d.LblUDF[5]->text(), "Bought");
    EXPECT_EQ(d.LblUDF[2]->y(), frmPropAlbum::twipsToPixels(360));
    EXPECT_EQ(d.txtUDF[2]->y(), frmPropAlbum::twipsToPixels(600));
    EXPECT_EQ(d.LblUDF[5]->y(), frmPropAlbum::twipsToPixels(960));
    EXPECT_EQ(d.txtUDF[5]->y(), frmPropAlbum::twipsToPixels(1200));
    // Rows never overlap the notes below them.
    EXPECT_LT(d.txtUDF[5]->geometry().bottom(), d.lblNotes->y());
    d.cmdHelp->click();
    EXPECT_EQ(t.help.contexts, std::vector<int>{help::ItemProperties});
}

TEST_F(ItemDialogTest, WithoutEnabledFieldsMyDetailsIsUnavailable) {
    frmPropAlbum d;
    d.setThisCollection("R1");
    EXPECT_EQ(d.windowTitle(), "Details in - Shopping List");
    EXPECT_FALSE(d.SSTab1->isTabEnabled(1));
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(d.txtUDF[i]->isHidden());
    // Back to a collection with fields: laid out again.
    d.setThisCollection("R2");
    EXPECT_TRUE(d.SSTab1->isTabEnabled(1));
    EXPECT_FALSE(d.txtUDF[2]->isHidden());
}

} // namespace
