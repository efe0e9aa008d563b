// The collection screen in both its modes, on a real database, with the find, filter and
// sort dialog and the item and connection dialogs driven as a user would.

#include "ScreenFixture.h"

#include "collections/frmCollectionList.h"
#include "collections/frmPropAlbum.h"
#include "connections/frmPropConnection.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

TEST_F(ScreenTest, TheStatementOfACollectionAndItsRows) {
    choose("Vinyl");
    EXPECT_EQ(screen().Data1->RecordSource(),
              QStringLiteral("SELECT DISTINCTROW [Collection - Contents].*, [Title]+\"  (\"+[Artist]+\")\" "
                             "AS Both From [Collection - Contents] WHERE (([Collection ID]=3)) ORDER BY "
                             "[Collection - Contents].Title , [Collection - Contents].Artist ;"));
    // The item without an artist keeps its Null "Both" but shows its title.
    EXPECT_EQ(rowsShown(), (QStringList{"A Love Supreme  (John Coltrane)", "Blue Train  (John Coltrane)",
                                        "Kind of Blue  (Miles Davis)", "Somethin' Else"}));
    Recordset rs = screen().Data1->recordset();
    rs.setAbsolutePosition(3);
    EXPECT_TRUE(rs.value("Both").isNull());
    EXPECT_EQ(screen().LblCollection->text(), "Vinyl");
    EXPECT_TRUE(screen().lstCollection->isHidden());
    // The find dialog's lists: fields 2 and 4 under their titles, 1, 3 and 5 left out.
    EXPECT_EQ(screen().excludedFields(), (QList<int>{0, 2, 8, 9, 10, 12, 14, 15, 16, 17, 18}));
    EXPECT_EQ(screen().renamedFields(), (QList<int>{11, 13}));
    EXPECT_EQ(screen().renamedNames(), (QStringList{"Condition", "Lent to"}));
}

TEST_F(ScreenTest, AnEmptyCollectionShowsNothingAndAsksForASelection) {
    choose("Jazz");
    EXPECT_EQ(screen().Data1->rowCount(), 0);
    EXPECT_EQ(screen().lblTitle->text(), QString());
    EXPECT_EQ(screen().detailsText(), QString());
    screen().imgEdit_Click();
    screen().imgRemove_Click();
    EXPECT_EQ(t.messages.texts(),
              (QStringList{"Please select the recording you wish to edit from the collection",
                           "Please select the recording you wish to remove from the collection"}));
    screen().prepareGridMenu();
    EXPECT_FALSE(screen().mnuPop2Prop->isEnabled());
    EXPECT_FALSE(screen().mnuPop2Remove->isEnabled());
    EXPECT_FALSE(screen().mnuPop2New->isEnabled());
    EXPECT_FALSE(screen().mnuPop2Activate->isVisible());
}

TEST_F(ScreenTest, TheDetailsShowTheEnabledUserFieldsInOrder) {
    native(R"(UPDATE "Collection - Contents" SET "User Field 2" = 'Mint', "User Field 5" = 'never shown',
              "Notes" = 'Signed' WHERE "Catalogue Number" = 'A-1')");
    choose("Vinyl");
    EXPECT_EQ(screen().lblTitle->text(), "A Love Supreme");
    EXPECT_EQ(screen().detailsText(),
              QStringLiteral("Artist - John Coltrane\r\n   Format - LP   Date - 1959\r\n"
                             "   Catalogue Number - A-1\r\nCondition:\r\n    Mint\r\nLent to:\r\n    \r\n"
                             "Notes :\r\nSigned"));
    // Without an artist, without notes.
    screen().Data1->setCurrentRow(3);
    EXPECT_EQ(screen().detailsText(),
              QStringLiteral("Artist - \r\n   Format - LP   Date - 1959\r\n   Catalogue Number - S-1\r\n"
                             "Condition:\r\n    \r\nLent to:\r\n    \r\nNotes :\r\n"));
}

TEST_F(ScreenTest, EditingAnItemShowsAtOnceAndKeepsThePlace) {
    choose("Vinyl");
    screen().Data1->setCurrentRow(2);
    t.dialogs.script([](QDialog& d) {
        auto& item = static_cast<frmPropAlbum&>(d);
        EXPECT_EQ(item.txtTitle->text(), "Kind of Blue");
        item.txtUDF[4]->setText("Sam");
        item.cmdOK->click();
    });
    screen().imgEdit_Click();
    EXPECT_EQ(screen().Data1->currentRow(), 2);
    EXPECT_TRUE(screen().detailsText().contains("Lent to:\r\n    Sam\r\n"));
    // The grid's double-click and the menu's Properties do the same.
    EXPECT_EQ(t.dialogs.shown, QStringList{"frmPropAlbum"});
}

TEST_F(ScreenTest, RemovingAnItemRereadsAndStandsOnTheNextRow) {
    choose("Vinyl");
    screen().Data1->setCurrentRow(1);
    t.messages.answer(mb::Yes);
    screen().imgRemove_Click();
    EXPECT_EQ(t.messages.last().text,
              QStringLiteral("Are you sure you want to remove 'Blue Train  (John Coltrane)' from this "
                             "collection 'Vinyl'"));
    EXPECT_EQ(itemsOf(3), (QStringList{"A-1", "K-1", "S-1"}));
    EXPECT_EQ(rowsShown().size(), 3);
    EXPECT_EQ(currentShown(), "Kind of Blue  (Miles Davis)");
    // No: nothing goes.
    screen().imgRemove_Click();
    EXPECT_EQ(itemsOf(3).size(), 3);
}

TEST_F(ScreenTest, FilterAndSortThroughTheDialogAndASwitchDropsThem) {
    choose("Vinyl");
    withDialog([&](fSearch& d) {
        EXPECT_EQ(d.Mode(), 2);
        EXPECT_EQ(d.helpContext(), 34);
        EXPECT_EQ(d.lblIn->text(), "&Filter in:");
        EXPECT_EQ(d.cmdFindNext->text(), "&Apply Filter");
        EXPECT_FALSE(d.cmdClear->isHidden());
        // Offered: the table's fields less the left-out ones, user fields under their titles.
        QStringList offered;
        for (int k = 0; k < d.cboIn->count(); ++k)
            offered << d.cboIn->itemText(k);
        EXPECT_EQ(offered, (QStringList{"Catalogue Number", "Title", "Artist", "Medium", "Label",
                                        "Release Date", "Condition", "Lent to"}));
        chooseField(d, "Artist");
        EXPECT_EQ(d.windowTitle(), "Filter in field : Artist");
        d.cboMatch->setCurrentIndex(1);
        d.cboWhat->setEditText("john coltrane");
        d.cmdFindNext->click();
        d.cmdCancel->click();
    });
    screen().imgFilter_Click();
    EXPECT_EQ(screen().WhereClause(), QStringLiteral("([Artist] = \"john coltrane\")"));
    EXPECT_EQ(rowsShown(), (QStringList{"A Love Supreme  (John Coltrane)", "Blue Train  (John Coltrane)"}));

    withDialog([&](fSearch& d) {
        EXPECT_EQ(d.lblIn->text(), "&Sort by:");
        EXPECT_TRUE(d.cboWhat->isHidden());
        chooseField(d, "Title");
        d.cboDirection->setCurrentIndex(1);
        d.cmdFindNext->click();
    });
    screen().imgSort_Click();
    EXPECT_TRUE(screen().Data1->RecordSource().endsWith(
        " WHERE (([Collection ID]=3) AND ([Artist] = \"john coltrane\")) ORDER BY [Title]  DESC , "
        "[Collection - Contents].Title , [Collection - Contents].Artist ;"))
        << screen().Data1->RecordSource().toStdString();
    EXPECT_EQ(rowsShown(), (QStringList{"Blue Train  (John Coltrane)", "A Love Supreme  (John Coltrane)"}));

    // A second condition narrows; one on the same field replaces the first.
    screen().setWhereClause("([Title] Like \"*Love*\")");
    EXPECT_EQ(rowsShown(), QStringList{"A Love Supreme  (John Coltrane)"});
    screen().setWhereClause("([Title] Like \"*Blue*\")");
    EXPECT_EQ(rowsShown(), QStringList{"Blue Train  (John Coltrane)"});

    choose("Jazz");
    choose("Vinyl");
    EXPECT_EQ(screen().WhereClause(), QString());
    EXPECT_EQ(screen().OrderbyClause(), QString());
    EXPECT_EQ(rowsShown().size(), 4);
}

TEST_F(ScreenTest, ClearInTheFilterDialogShowsTheWholeListAgain) {
    choose("Vinyl");
    screen().setWhereClause("([Artist] Like \"*Davis*\")");
    ASSERT_EQ(rowsShown().size(), 1);
    withDialog([&](fSearch& d) {
        // The current condition fills the dialog.
        EXPECT_EQ(d.cboIn->currentText(), "Artist");
        EXPECT_EQ(d.cboMatch->currentIndex(), 0);
        EXPECT_EQ(d.cboWhat->currentText(), "Davis");
        d.cmdClear->click();
    });
    screen().imgFilter_Click();
    EXPECT_EQ(rowsShown().size(), 4);
}

TEST_F(ScreenTest, FindFirstThenNextThenNothing) {
    choose("Vinyl");
    withDialog([&](fSearch& d) {
        EXPECT_EQ(d.Mode(), 1);
        EXPECT_EQ(d.helpContext(), 33);
        EXPECT_TRUE(d.cmdClear->isHidden());
        EXPECT_EQ(d.cmdFindNext->text(), "Find &First");
        chooseField(d, "Title");
        d.cboWhat->setEditText("blue");
        d.cmdFindNext->click();
        EXPECT_EQ(currentShown(), "Blue Train  (John Coltrane)");
        EXPECT_EQ(d.lblMessage->text(), "Match Found");
        EXPECT_EQ(d.cmdFindNext->text(), "Find &Next");
        EXPECT_TRUE(d.firstFindDone());
        d.cmdFindNext->click();
        EXPECT_EQ(currentShown(), "Kind of Blue  (Miles Davis)");
        d.cmdFindNext->click();
        EXPECT_EQ(currentShown(), "Kind of Blue  (Miles Davis)");
        EXPECT_EQ(d.lblMessage->text(), "No Matching record");
        d.cboDirection->setCurrentIndex(2);
        EXPECT_EQ(d.cmdFindNext->text(), "Find &Previous");
        d.cmdFindNext->click();
        EXPECT_EQ(currentShown(), "Blue Train  (John Coltrane)");
    });
    screen().imgSearch_Click();
    EXPECT_EQ(t.messages.texts(), QStringList{"No matching Record"});
    EXPECT_EQ(t.messages.beeps, 1);
    // The details followed the grid.
    EXPECT_EQ(screen().lblTitle->text(), "Blue Train");
}

TEST_F(ScreenTest, HoldingTheUpButtonAtTheTopMovesNothingAndRefreshesOnceOnRelease) {
    choose("Vinyl");
    ASSERT_EQ(screen().Data1->currentRow(), 0);
    screen().scrollPressed(-1);
    EXPECT_FALSE(screen().refreshAllowed());
    EXPECT_EQ(screen().Data1->currentRow(), 0);
    screen().scrollReleased();
    EXPECT_TRUE(screen().refreshAllowed());
    // Held down, the rows move and the details wait for the release.
    screen().scrollPressed(1);
    EXPECT_EQ(screen().Data1->currentRow(), 1);
    EXPECT_EQ(screen().lblTitle->text(), "A Love Supreme");
    screen().scrollReleased();
    EXPECT_EQ(screen().lblTitle->text(), "Blue Train");
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(ScreenTest, ItemsAddedElsewhereShowWhenTheScreenComesBack) {
    choose("Vinyl");
    ASSERT_TRUE(bCollection_Item_Add(3, recording(15, "Giant Steps", "John Coltrane"), release("G-1")));
    screen().Show_me();
    EXPECT_EQ(rowsShown().size(), 5);
}

TEST_F(ScreenTest, DeletingTheShownCollectionFromTheDialogShowsTheFirst) {
    choose("Vinyl");
    t.dialogs.script([&](QDialog& d) {
        auto& list = static_cast<frmCollectionList&>(d);
        EXPECT_EQ(list.windowTitle(), "Collections");
        list.LstCollections->setCurrentItem(
            list.LstCollections->findItems("Vinyl", Qt::MatchExactly).value(0));
        t.messages.answer(mb::Yes);
        list.cmdDelete->click();
        list.close();
        EXPECT_TRUE(list.isHidden());
    });
    screen().imgCollections_Click();
    EXPECT_EQ(screen().LblCollection->text(), RCollections().Items().front()->strTitle);
    EXPECT_FALSE(screen().lstCollection->findItems("Vinyl", Qt::MatchExactly).size());
    // Closed with its close box, the dialog is still loaded with its list.
    EXPECT_TRUE(t.ctx().forms.isLoaded(form::CollectionList));
}

TEST_F(ScreenTest, ConnectionsModeListsAddsShowsAndActivates) {
    screen().Form_Mode(screen::Connections);
    EXPECT_EQ(t.ctx().intCurrentScreen, screen::Connections);
    EXPECT_EQ(screen().Data1->RecordSource(),
              "SELECT DISTINCTROW [Connections].* From [Connections] ORDER BY [Connections].[Connection Name];");
    EXPECT_TRUE(screen().imgPrint->isHidden());
    EXPECT_FALSE(screen().imgNew->isHidden());
    const int before = screen().Data1->rowCount();

    t.dialogs.script([](QDialog& d) {
        auto& c = static_cast<frmPropConnection&>(d);
        c.txtName->setText("AAA Records");
        c.txtURL->setPlainText("www.example.com/aaa");
        c.cmdOK->click();
    });
    screen().imgNew_Click();
    EXPECT_EQ(screen().Data1->rowCount(), before + 1);
    EXPECT_EQ(currentShown(), "AAA Records");
    EXPECT_EQ(screen().lblTitle->text(), "AAA Records");
    EXPECT_EQ(screen().detailsText(), QStringLiteral("Site's URL - \r\nwww.example.com/aaa\r\n"));
    screen().imgActivate_Click();
    EXPECT_EQ(t.shell.opened, QStringList{"http://www.example.com/aaa"});

    // A typed value that is not a number cannot slip into a whole-field condition.
    withDialog([&](fSearch& d) {
        chooseField(d, "Connection ID");
        d.cboMatch->setCurrentIndex(1);
        d.cboWhat->setEditText("1) OR (1=1");
        d.cmdFindNext->click();
    });
    screen().imgFilter_Click();
    EXPECT_EQ(screen().WhereClause(), QString());
    EXPECT_EQ(screen().Data1->rowCount(), before + 1);
    EXPECT_TRUE(t.messages.last().text.startsWith("This field holds numbers"));

    screen().prepareGridMenu();
    EXPECT_TRUE(screen().mnuPop2New->isEnabled());
    EXPECT_TRUE(screen().mnuPop2Activate->isVisible());
}

} // namespace
