// The collection and item dialogs as a screen reader meets them.

#include "CollectionFixture.h"

#include "collections/frmPropAlbum.h"
#include "collections/frmpropCollection.h"
#include "fakes/Accessibility.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>

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
    static QString nameOf(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); }
};

TEST_F(DialogAccessibility, TheCollectionDialogOnBothTabs) {
    bool walked = false;
    t.dialogs.script([&](QDialog& d) {
        auto& dialog = static_cast<frmpropCollection&>(d);
        EXPECT_TRUE(isAccessible(&dialog));
        EXPECT_EQ(nameOf(dialog.txtName), "Collection Name");
        EXPECT_EQ(nameOf(dialog.txtUDF[2]), "User Category 2");
        // Five boxes called "enabled" would not tell which category they enable.
        EXPECT_EQ(nameOf(dialog.chkUDF[2]), "User Category 2 enabled");
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
        EXPECT_EQ(nameOf(dialog.txtTitle), "Title");
        EXPECT_EQ(nameOf(dialog.txtCatNumber), "Catalogue Number");
        EXPECT_EQ(nameOf(dialog.txtUDF[2]), "Condition");
        walked = true;
        dialog.reject();
    });
    bCollection_Item_Edit(2, "POLS 272");
    EXPECT_TRUE(walked);
}

} // namespace
