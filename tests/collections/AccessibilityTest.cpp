// The collection screen and its dialogs as a screen reader and the keyboard meet them.

#include "ScreenFixture.h"

#include "collections/frmCollectionList.h"
#include "collections/frmPropAlbum.h"
#include "collections/frmpropCollection.h"
#include "connections/frmPropConnection.h"
#include "fakes/Accessibility.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

class DialogAccessibility : public StoreTest {
protected:
    DialogAccessibility() {
        addCollectionRow(2, "Vinyl");
        native(R"(UPDATE "Collection" SET "User Field 2" = 'Condition', "User Field 2 visible" = 1
                  WHERE "Collection ID" = 2)");
        EXPECT_TRUE(bInit_RCollections());
    }
};

TEST_F(DialogAccessibility, TheCollectionDialogOnBothTabs) {
    bool walked = false;
    t.dialogs.script([&](QDialog& d) {
        auto& dialog = static_cast<frmpropCollection&>(d);
        EXPECT_TRUE(isAccessible(&dialog));
        EXPECT_EQ(accessibleNameOf(dialog.txtName), "Collection Name");
        EXPECT_EQ(accessibleNameOf(dialog.txtUDF[2]), "User Category 2");
        // Five boxes called "enabled" would not tell which category they enable.
        EXPECT_EQ(accessibleNameOf(dialog.chkUDF[2]), "User Category 2 enabled");
        walked = true;
        dialog.reject();
    });
    RCollections().item("R2")->Item_Edit();
    EXPECT_TRUE(walked);
}

TEST_F(DialogAccessibility, TheItemDialogWithItsUserFields) {
    ASSERT_TRUE(bCollection_Item_Add(2, recording(101, "Arrival", "Abba"), release("POLS 272", "Polar", "1976", "LP")));
    bool walked = false;
    t.dialogs.script([&](QDialog& d) {
        auto& dialog = static_cast<frmPropAlbum&>(d);
        EXPECT_TRUE(isAccessible(&dialog));
        EXPECT_EQ(accessibleNameOf(dialog.txtTitle), "Title");
        EXPECT_EQ(accessibleNameOf(dialog.txtCatNumber), "Catalogue Number");
        EXPECT_EQ(accessibleNameOf(dialog.txtUDF[2]), "Condition");
        walked = true;
        dialog.reject();
    });
    bCollection_Item_Edit(2, "POLS 272");
    EXPECT_TRUE(walked);
}

TEST_F(ScreenTest, EveryControlIsNamedInBothModesAndOnBothTabs) {
    choose("Vinyl");
    frmCollection& s = screen();
    EXPECT_TRUE(isAccessible(&s));
    EXPECT_EQ(accessibleNameOf(s.imgEdit), "Edit the recording");
    EXPECT_EQ(accessibleNameOf(s.imgIcon), "Icon of Vinyl");
    EXPECT_EQ(accessibleNameOf(s.TDBGrid1), "Recordings in the collection");
    // The object names stay the design's.
    EXPECT_EQ(s.imgCollections->objectName(), "imgCollections");
    s.imgtabtracks_Click();
    EXPECT_TRUE(isAccessible(&s));

    s.Form_Mode(screen::Connections);
    EXPECT_TRUE(isAccessible(&s));
    EXPECT_EQ(accessibleNameOf(s.imgEdit), "Edit the connection");
    EXPECT_EQ(accessibleNameOf(s.TDBGrid1), "Connections");
    EXPECT_FALSE(s.imgActivate->isHidden());
}

TEST_F(ScreenTest, AScreenReaderChoosesACollectionAndATabByPressing) {
    frmCollection& s = screen();
    ASSERT_TRUE(pressAsScreenReader(s.imgDrop));
    ASSERT_FALSE(s.lstCollection->isHidden());
    s.lstCollection->setCurrentItem(s.lstCollection->findItems("Vinyl", Qt::MatchExactly).value(0));
    QTest::keyClick(s.lstCollection, Qt::Key_Return);
    EXPECT_TRUE(s.lstCollection->isHidden());
    EXPECT_EQ(s.LblCollection->text(), "Vinyl");
    EXPECT_EQ(rowsShown().size(), 4);
    // Escape closes the list without choosing.
    ASSERT_TRUE(pressAsScreenReader(s.imgDrop));
    s.lstCollection->setCurrentRow(0);
    QTest::keyClick(s.lstCollection, Qt::Key_Escape);
    EXPECT_TRUE(s.lstCollection->isHidden());
    EXPECT_EQ(s.LblCollection->text(), "Vinyl");

    ASSERT_TRUE(pressAsScreenReader(s.imgtabtracks));
    EXPECT_EQ(s.detailTab(), 1);
    EXPECT_EQ(s.imgtabtracks->shownPicture(), s.imgtabtracks->pressedPicture());
    ASSERT_TRUE(pressAsScreenReader(s.imgtabdetails));
    EXPECT_EQ(s.detailTab(), 0);
    EXPECT_EQ(s.imgtabtracks->shownPicture(), s.imgtabtracks->normalPicture());

    t.messages.answer(mb::Yes);
    ASSERT_TRUE(pressAsScreenReader(s.imgRemove));
    EXPECT_EQ(itemsOf(3).size(), 3);
}

TEST_F(ScreenTest, TheKeyboardReachesTheCollectionsMenuAndGoesOnToTheList) {
    choose("Vinyl");
    frmCollection& s = screen();
    s.show();
    QApplication::setActiveWindow(&s);
    ASSERT_NE(s.imgIcon->focusPolicy(), Qt::NoFocus);
    s.imgIcon->setFocus();
    for (QWidget* next : QList<QWidget*>{s.imgDrop, s.TDBGrid1, s.imgUp, s.imgDn, s.imgtabdetails}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    // The menu key on the icon opens the collection's menu, as a right click does.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), s.imgIcon->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(s.imgIcon, &menuKey);
    EXPECT_TRUE(s.mnuPopup1Node->isVisible());
    s.mnuPopup1Node->hide();
}

TEST_F(ScreenTest, TheDialogsOfTheScreenAreNamed) {
    choose("Vinyl");
    QStringList walked;
    const auto walkFind = [&](fSearch& d) {
        EXPECT_TRUE(isAccessible(&d)) << "mode " << d.Mode();
        walked << d.windowTitle();
        d.cmdCancel->click();
    };
    withDialog(walkFind);
    screen().imgSearch_Click();
    withDialog(walkFind);
    screen().imgFilter_Click();
    withDialog(walkFind);
    screen().imgSort_Click();

    t.dialogs.script([&](QDialog& d) {
        EXPECT_TRUE(isAccessible(&d));
        EXPECT_EQ(accessibleNameOf(static_cast<frmCollectionList&>(d).LstCollections), "Collections");
        walked << d.windowTitle();
        d.close();
    });
    screen().imgCollections_Click();

    screen().Form_Mode(screen::Connections);
    t.dialogs.script([&](QDialog& d) {
        auto& c = static_cast<frmPropConnection&>(d);
        EXPECT_TRUE(isAccessible(&c));
        EXPECT_EQ(accessibleNameOf(c.txtURL), "Site's URL");
        walked << d.windowTitle();
        c.cmdCancel->click();
    });
    screen().imgNew_Click();
    EXPECT_EQ(walked, (QStringList{"Find in field : Catalogue Number", "Filter in field : Catalogue Number",
                                   "Sort by field : Catalogue Number", "Collections", "Connection Item"}));
}

} // namespace
