#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/HelpContexts.h"
#include "settings/Options.h"
#include "settings/Printers.h"
#include "settings/SearchScreenHook.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmPropApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    // Opens the dialog with a script standing for the user; returns Show_Options' answer.
    bool withDialog(std::function<void(frmPropApp&)> user) {
        tc.dialogs.script([user](QDialog& d) { user(static_cast<frmPropApp&>(d)); });
        return Show_Options();
    }
    // Turns every control to the opposite of its default.
    static void flipEverything(frmPropApp& d) {
        for (int t = 0; t < 3; ++t) {
            d.chkQuick[t]->setChecked(!d.chkQuick[t]->isChecked());
            d.optAuto(t)[d.optAuto(t)[0]->isChecked() ? 1 : 0]->setChecked(true);
        }
        for (QCheckBox* c :
             {d.chkComps, d.chkIntro, d.chkToolTips, d.chkColTip, d.chkQuickAdd, d.chkDelConfirm})
            c->setChecked(!c->isChecked());
        d.txtBrowser->setText("/usr/bin/firefox-esr");
        d.txtName->setText("Fire \"Fox\"");
        d.cboWindowSize->setCurrentText("150%");
    }
    test::TestContext tc;
    test::TempSettings store;
    const QString& po = kSectionProgramOptions;
};

TEST_F(OptionsDialogTest, ShowsTheSystemsCaptions) {
    withDialog([](frmPropApp& d) {
        EXPECT_EQ(d.windowTitle(), "Options");
        EXPECT_EQ(d.cmdOK->text(), "Ok");
        EXPECT_EQ(d.cmdCancel->text(), "Cancel");
        EXPECT_EQ(d.cmdHelp->text(), "Help");
        EXPECT_EQ(d.fraBrowser->title(), "Browser");
        EXPECT_EQ(d.btnBrowse->text(), "Browse");
        EXPECT_EQ(d.lblName->text(), "Browser Name");
        EXPECT_EQ(d.LblBrowser->text(), "Default Browser");
        EXPECT_EQ(d.chkComps->text(), "Include compilations in results");
        EXPECT_EQ(d.chkIntro->text(), "Run Intro animation");
        EXPECT_EQ(d.fraArtists->title(), "Artists");
        EXPECT_EQ(d.fraAlbum->title(), "Album");
        EXPECT_EQ(d.fraTracks->title(), "Tracks");
        for (int t = 0; t < 3; ++t) {
            EXPECT_EQ(d.optAuto(t)[0]->text(), "Search as you Type");
            EXPECT_EQ(d.optAuto(t)[1]->text(), "Click 'Go' to search");
            EXPECT_EQ(d.chkQuick[t]->text(), "Quick search");
        }
        EXPECT_EQ(d.optAuto(1)[0]->parentWidget(), d.fraAlbum);
        EXPECT_EQ(d.chkQuick[2]->parentWidget(), d.fraTracks);
        EXPECT_EQ(d.chkToolTips->text(), "Show Tips");
        EXPECT_EQ(d.fraCollection->title(), "Collection Contents");
        EXPECT_EQ(d.chkColTip->text(), "Show collection name");
        EXPECT_EQ(d.chkQuickAdd->text(), "Quick Add");
        EXPECT_EQ(d.chkDelConfirm->text(), "Confirm Delete");
        EXPECT_EQ(d.lblWindowSize->text(), "Window size");
        QStringList sizes;
        for (int i = 0; i < d.cboWindowSize->count(); ++i)
            sizes << d.cboWindowSize->itemText(i);
        EXPECT_EQ(sizes, QStringList({"Automatic", "100%", "125%", "150%", "200%"}));
        EXPECT_EQ(d.cboWindowSize->currentText(), "Automatic");
        EXPECT_EQ(d.lblWindowSizeNote->text(),
                  "Now 100%. A new size is used the next time Korvanda starts.");
        EXPECT_EQ(d.SSTab1->count(), 3);
        d.cmdHelp->click();
        d.cmdCancel->click();
    });
    EXPECT_EQ(tc.help.contexts, std::vector<int>{help::Options});
}

TEST_F(OptionsDialogTest, ControlsStartFromTheRunningValues) {
    ProgramOptions& o = ctx().options;
    o.QuickSearch = {false, true, false};
    o.AutoSearch = {false, true, true};
    o.bIncludeCompilations = true;
    o.bQuickAdd = false;
    o.bCollectionTips = true;
    o.bToolTips = false;
    o.strBrowserPath = "/opt/web/browser";
    o.strBrowserName = "browser";
    o.intWindowSize = 125;
    withDialog([](frmPropApp& d) {
        EXPECT_FALSE(d.chkQuick[0]->isChecked());
        EXPECT_TRUE(d.chkQuick[1]->isChecked());
        EXPECT_TRUE(d.optArtistAuto[1]->isChecked());
        EXPECT_TRUE(d.optAlbumAuto[0]->isChecked());
        EXPECT_TRUE(d.optTrackAuto[0]->isChecked());
        EXPECT_TRUE(d.chkComps->isChecked());
        EXPECT_FALSE(d.chkQuickAdd->isChecked());
        EXPECT_TRUE(d.chkColTip->isChecked());
        EXPECT_TRUE(d.chkDelConfirm->isChecked());
        EXPECT_EQ(d.txtBrowser->text(), "/opt/web/browser");
        EXPECT_EQ(d.txtName->text(), "browser");
        EXPECT_EQ(d.cboWindowSize->currentText(), "125%");
        // A size too large for this screen is said to be so as it is chosen.
        const QSize screen = d.screen()->availableGeometry().size();
        const QString now = "Now 100%. A new size is used the next time Korvanda starts.";
        for (const char* size : {"100%", "125%", "150%", "200%"}) {
            d.cboWindowSize->setCurrentText(size);
            const int percent = QString(size).chopped(1).toInt();
            const bool fits =
                640 * percent <= screen.width() * 100 && 464 * percent <= screen.height() * 100;
            EXPECT_EQ(d.lblWindowSizeNote->text(),
                      fits ? now
                           : now + " At " + size +
                                 " Korvanda is larger than this screen and will not fit on it.")
                << size << " on " << screen.width() << " x " << screen.height();
        }
        // docs/screenshots, with KV_SCREENSHOTS=<folder>: the warning as the user sees it.
        if (const QString folder = qEnvironmentVariable("KV_SCREENSHOTS"); !folder.isEmpty()) {
            d.cboWindowSize->setCurrentText("200%");
            d.SSTab1->setCurrentIndex(d.SSTab1->indexOf(d.cboWindowSize->parentWidget()));
            d.show();
            QApplication::processEvents();
            EXPECT_TRUE(d.grab().save(folder + "/options-window-size-too-large.png"));
        }
        d.cboWindowSize->setCurrentText("Automatic");
        EXPECT_EQ(d.lblWindowSizeNote->text(), now);
        // Tips only when "Show Tips" is on.
        EXPECT_TRUE(d.chkComps->toolTip().isEmpty());
        d.chkToolTips->setChecked(true);
        EXPECT_FALSE(d.chkComps->toolTip().isEmpty());
        d.cmdCancel->click();
    });
}

TEST_F(OptionsDialogTest, CancelChangesNeitherValuesNorStore) {
    ASSERT_TRUE(bInit_Options());
    store.set(po, "Quick Add", "True "); // the user's own spelling must survive
    const QStringList keysBefore = store.keys(po);
    const ProgramOptions before = ctx().options;
    EXPECT_FALSE(withDialog([](frmPropApp& d) {
        flipEverything(d);
        d.cmdCancel->click();
    }));
    EXPECT_EQ(ctx().options.QuickSearch, before.QuickSearch);
    EXPECT_EQ(ctx().options.AutoSearch, before.AutoSearch);
    EXPECT_EQ(ctx().options.bPlayIntro, before.bPlayIntro);
    EXPECT_EQ(ctx().options.strBrowserPath, before.strBrowserPath);
    EXPECT_EQ(ctx().options.intWindowSize, before.intWindowSize);
    EXPECT_EQ(store.keys(po), keysBefore);
    EXPECT_EQ(store.value(po, "Quick Add"), "True ");
    EXPECT_EQ(store.value(po, "Artist Quick Search"), "True");
}

TEST_F(OptionsDialogTest, OkStoresEveryOptionKey) {
    EXPECT_TRUE(withDialog([](frmPropApp& d) {
        flipEverything(d);
        d.cmdOK->click();
    }));
    const ProgramOptions& o = ctx().options;
    EXPECT_EQ(o.QuickSearch, (std::array<bool, 3>{false, true, true}));
    EXPECT_EQ(o.AutoSearch, (std::array<bool, 3>{false, false, true}));
    EXPECT_TRUE(o.bIncludeCompilations);
    EXPECT_FALSE(o.bPlayIntro);
    EXPECT_FALSE(o.bToolTips);
    EXPECT_TRUE(o.bCollectionTips);
    EXPECT_FALSE(o.bQuickAdd);
    EXPECT_FALSE(o.bConfirmDelete);

    QStringList keys = store.keys(po);
    keys.sort();
    QStringList expected{
        "Artist Quick Search", "Album Quick Search", "Track Quick Search",   "Artist Auto Search",
        "Album Auto Search",   "Track Auto Search",  "Include Compilations", "Quick Add",
        "Confirm Delete",      "Tool Tips",          "Collection Tips",      "Play Intro",
        "Browser Path",        "Browser Name",       "Window Size"};
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(store.value(po, "Artist Quick Search"), "False");
    EXPECT_EQ(store.value(po, "Track Auto Search"), "True");
    EXPECT_EQ(store.value(po, "Play Intro"), "False");
    EXPECT_EQ(store.value(po, "Browser Name"), "Fire \"Fox\"");
    EXPECT_EQ(store.value(po, "Window Size"), "150%");
    EXPECT_TRUE(store.keys("File Locations").isEmpty());

    // What was stored is what the next start reads.
    ctx().options = ProgramOptions();
    ASSERT_TRUE(bInit_Options());
    EXPECT_EQ(ctx().options.AutoSearch, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(ctx().options.strBrowserName, "Fire \"Fox\"");
    EXPECT_EQ(ctx().options.intWindowSize, 150);
    // The size in use stays until the next start.
    EXPECT_EQ(ctx().constants.intWindowScale, 100);
}

TEST_F(OptionsDialogTest, TheSearchIsRefreshedOnlyWhenItsOwnSettingsChanged) {
    int searchType = -1;
    int refreshes = 0;
    auto& hook = ctx().slot<SearchScreenHook>();
    hook.SearchType = [&] { return searchType; };
    hook.refresh_Search = [&] { ++refreshes; };

    struct Case {
        int type;
        std::function<void(frmPropApp&)> change;
        int refreshes;
    } cases[] = {
        {1, [](frmPropApp& d) { d.chkQuick[1]->toggle(); }, 1},
        {1, [](frmPropApp& d) { d.optAlbumAuto[1]->setChecked(true); }, 1},
        {1, [](frmPropApp& d) { d.chkQuick[0]->toggle(); }, 0}, // another type
        {2, [](frmPropApp& d) { d.chkComps->toggle(); }, 1},
        {0, [](frmPropApp& d) { d.chkIntro->toggle(); }, 0}, // not a search setting
        {0,
         [](frmPropApp& d) {
             d.chkQuick[0]->toggle();
             d.chkQuick[0]->toggle();
         },
         0},
        {-1,
         [](frmPropApp& d) {
             d.chkComps->toggle();
             d.chkQuick[0]->toggle();
         },
         0}, // no search yet
    };
    for (const Case& c : cases) {
        ctx().options = ProgramOptions();
        searchType = c.type;
        refreshes = 0;
        withDialog([&](frmPropApp& d) {
            c.change(d);
            d.cmdOK->click();
        });
        EXPECT_EQ(refreshes, c.refreshes) << "search type " << c.type;
    }

    // Cancel never refreshes.
    searchType = 0;
    refreshes = 0;
    withDialog([](frmPropApp& d) {
        d.chkComps->toggle();
        d.cmdCancel->click();
    });
    EXPECT_EQ(refreshes, 0);

    // Without a search screen nothing is called.
    hook = SearchScreenHook();
    EXPECT_TRUE(withDialog([](frmPropApp& d) {
        d.chkComps->toggle();
        d.cmdOK->click();
    }));
}

TEST_F(OptionsDialogTest, BrowseFillsThePathAndTheName) {
    tc.files.answers.push_back("/usr/lib/firefox-esr/firefox-esr.bin");
    tc.files.answers.push_back(""); // cancelled the second time
    withDialog([](frmPropApp& d) {
        d.btnBrowse->click();
        EXPECT_EQ(d.txtBrowser->text(), "/usr/lib/firefox-esr/firefox-esr.bin");
        EXPECT_EQ(d.txtName->text(), "firefox-esr");
        d.btnBrowse->click();
        EXPECT_EQ(d.txtBrowser->text(), "/usr/lib/firefox-esr/firefox-esr.bin");
        d.cmdOK->click();
    });
    ASSERT_EQ(tc.files.requests.size(), 2u);
    EXPECT_EQ(tc.files.requests[0].filter, "Browser  (*.EXE)| *.EXE|All (*.*)| *.*");
    EXPECT_EQ(ctx().options.strBrowserName, "firefox-esr");
    EXPECT_EQ(store.value(po, "Browser Path"), "/usr/lib/firefox-esr/firefox-esr.bin");
}

} // namespace
