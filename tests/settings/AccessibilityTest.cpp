// The settings' dialogs and the help window as a screen reader meets them.

#include "fakes/Accessibility.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/ui/HelpBookViewer.h"
#include "settings/ui/HelpWindow.h"
#include "settings/ui/frmFindFile.h"
#include "settings/ui/frmPropApp.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace kv;

namespace {

struct SettingsAccessibility : ::testing::Test {
    test::TempSettings store;
    test::TestContext t;
};

TEST_F(SettingsAccessibility, TheOptionsDialogOnEveryTab) {
    frmPropApp dialog;
    EXPECT_TRUE(test::isAccessible(&dialog));
    // Its boxes are named by their labels.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog.txtBrowser)->text(QAccessible::Name), "Default Browser");
}

TEST_F(SettingsAccessibility, TheLocateFileDialog) {
    frmFindFile dialog;
    dialog.setFileName(QStringLiteral("Music.M14"));
    EXPECT_TRUE(test::isAccessible(&dialog));
    // Only OK answers Enter: Browse and Help never take it.
    EXPECT_TRUE(dialog.btnOK->isDefault());
    EXPECT_FALSE(dialog.btnBrowse->autoDefault());
    EXPECT_FALSE(dialog.cmdHelp->autoDefault());
}

TEST_F(SettingsAccessibility, TheHelpWindow) {
    HelpBookViewer viewer;
    viewer.setHelpFile(QStringLiteral(KV_APP_DIR "/Korvanda.hlp"));
    ASSERT_TRUE(viewer.showContents());
    EXPECT_TRUE(test::isAccessible(viewer.window()));
}

} // namespace
