// Pictures of the collection screen, its dialogs and the connections for docs/screenshots:
// run with KV_SCREENSHOTS=<folder>. The session also checks that each step landed.

#include "SearchFixture.h"
#include "collections/CollectionFixture.h"

#include "collections/DataControl.h"
#include "collections/NRCollections.h"
#include "collections/frmCollection.h"
#include "connections/Connections.h"
#include "connections/frmPropConnection.h"
#include "search/fSearch.h"
#include "titles/TitleAccess.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

void snapDialog(QDialog& d, const QString& file) {
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QApplication::processEvents();
    EXPECT_TRUE(d.grab().save(file));
}

TEST_F(SearchScreenTest, CollectionScreenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    AppContext& a = t.ctx();
    a.forms.registerFactory(form::Collection, [] { return new frmCollection; });
    a.forms.registerFactory(form::FindFilterSort, [] { return new fSearch; });
    frmSearch& s = screen();
    ASSERT_TRUE(bInit_MV(s.MvrDetails));
    ASSERT_TRUE(bInit_Connections());
    frmBackground* bg = background();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(bg));

    catalogueState().dbCatalogue.connection()->exec(
        R"(INSERT INTO "Collection" ("Collection ID", "Collection Name", "User Field 1",
           "User Field 1 visible", "User Field 3", "User Field 3 visible")
           VALUES (2, 'Vinyl', 'Condition', -1, 'Where bought', -1))");
    ASSERT_TRUE(RCollections().Refresh());
    ASSERT_TRUE(bCollection_Item_Add(2, recording(101, "Arrival", "Abba"), release("POLS 272", "Polar", "1976", "LP")));
    ASSERT_TRUE(bCollection_Item_Add(2, recording(102, "Waterloo", "Abba"), release("POLS 252", "Polar", "1974", "LP")));
    ASSERT_TRUE(bCollection_Item_Add(2, recording(105, "Blonde on Blonde", "Bob Dylan"), release("C2L 41", "Columbia", "1966", "LP")));
    ASSERT_TRUE(bCollection_Item_Add(2, recording(104, "Hits Collection", ""), release("HITS 1", "Various", "1995", "CD")));
    catalogueState().dbCatalogue.connection()->exec(
        R"(UPDATE "Collection - Contents" SET "User Field 1" = 'Sleeve worn at the corners',
           "User Field 3" = 'Market stall, Leeds', "Notes" = 'Signed on the back.'
           WHERE "Catalogue Number" = 'POLS 272')");

    ASSERT_TRUE(Go_To_Screen(screen::Collections));
    auto* c = a.forms.find<frmCollection>(form::Collection);
    ASSERT_TRUE(c && c->isVisible());
    c->lstCollection->setCurrentItem(c->lstCollection->findItems("Vinyl", Qt::MatchExactly).value(0));
    c->Refresh_Collection();
    ASSERT_EQ(c->Data1->rowCount(), 4);
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/collection-details.png"));

    c->imgtabtracks_Click();
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/collection-tracks.png"));
    c->imgtabdetails_Click();

    c->toggleCollectionList();
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/collection-list.png"));
    c->toggleCollectionList();

    t.dialogs.script([&](QDialog& d) {
        auto& f = static_cast<fSearch&>(d);
        f.cboIn->setCurrentIndex(f.cboIn->findText("Artist"));
        f.cboWhat->setEditText("abba");
        f.cmdFindNext->click();
        snapDialog(f, folder + "/collection-filter.png");
        f.cmdCancel->click();
    });
    c->imgFilter_Click();
    ASSERT_EQ(c->Data1->rowCount(), 2);

    // Sort hides two of the four entries; the two left stay together at the top.
    t.dialogs.script([&](QDialog& d) {
        auto& f = static_cast<fSearch&>(d);
        f.cboIn->setCurrentIndex(f.cboIn->findText("Title"));
        f.cboDirection->setCurrentIndex(1);
        snapDialog(f, folder + "/collection-sort.png");
        f.cmdFindNext->click();
    });
    c->imgSort_Click();

    ASSERT_TRUE(Go_To_Screen(screen::Connections));
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/connections.png"));
    t.dialogs.script([&](QDialog& d) {
        auto& p = static_cast<frmPropConnection&>(d);
        p.txtName->setText("Second-hand vinyl");
        p.txtDescription->setPlainText("A shop with a big jazz section");
        p.txtURL->setPlainText("www.example.com/vinyl");
        snapDialog(p, folder + "/connection-item.png");
        p.cmdOK->click();
    });
    c->imgNew_Click();
    QApplication::processEvents();
    EXPECT_TRUE(bg->grab().save(folder + "/connections-new.png"));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join('\n').toStdString();
    CloseConnections();
}

} // namespace
