#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/FileLocations.h"
#include "settings/HelpContexts.h"
#include "settings/Printers.h"
#include "settings/SettingsStore.h"
#include "settings/ui/FindFileLocator.h"
#include "settings/ui/frmFindFile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class FindFileTest : public ::testing::Test {
protected:
    FindFileTest() {
        QFile f(dir.path() + "/KORDB.MDB");
        f.open(QIODevice::WriteOnly);
        f.write("x");
        existing = f.fileName();
    }
    // Runs Locate_File with a script standing for the user.
    void locate(std::function<void(frmFindFile&)> user, const QString& ext = "MDB",
                const QString& desc = "Access Database File") {
        tc.dialogs.script([user](QDialog& d) { user(static_cast<frmFindFile&>(d)); });
        frmFindFile::Locate_File("KORDB.MDB", accepted, path, dir.path(), ext, desc);
    }
    test::TestContext tc;
    QTemporaryDir dir;
    QString existing;
    bool accepted = true;
    QString path = "before";
};

TEST_F(FindFileTest, NamesTheMissingFileAndBrowsesWithTheTypeFilter) {
    tc.files.answers.push_back(existing);
    tc.busy.setBusy();
    tc.busy.setBusy();
    locate([&](frmFindFile& d) {
        EXPECT_EQ(tc.busy.depth(), 0) << "the normal pointer while the user answers";
        EXPECT_EQ(d.windowTitle(), "Locate File");
        EXPECT_EQ(d.lblTitle->text(), "Could not locate File :KORDB.MDB");
        EXPECT_EQ(d.lblBrowse->text(), "Use the browse to locate the file:");
        EXPECT_EQ(d.lblPath->text(), "File Path:");
        EXPECT_EQ(d.btnOK->text(), "Ok");
        d.btnBrowse->click();
        EXPECT_EQ(d.txtFile->text(), existing);
        d.btnOK->click();
    });
    ASSERT_EQ(tc.files.requests.size(), 1u);
    EXPECT_EQ(tc.files.requests[0].filter, "Access Database File (*.MDB)| *.MDB|All (*.*)| *.*");
    EXPECT_EQ(tc.files.requests[0].initial, dir.path());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(path, existing);
    EXPECT_EQ(tc.busy.depth(), 2);
}

TEST_F(FindFileTest, WithoutAnExtensionOnlyAllFilesAreOffered) {
    frmFindFile d;
    EXPECT_EQ(d.browseFilter(), "All (*.*)| *.*");
    d.FileType_Desc = "Described but no type";
    EXPECT_EQ(d.browseFilter(), "All (*.*)| *.*");
    d.FileType = "EXE";
    d.FileType_Desc = "Vivo Movie";
    EXPECT_EQ(d.browseFilter(), "Vivo Movie (*.EXE)| *.EXE|All (*.*)| *.*");
}

TEST_F(FindFileTest, OkStaysOpenAndSilentUntilThePathNamesAFile) {
    locate([&](frmFindFile& d) {
        for (const QString& wrong :
             {QString(), dir.path() + "/nothing.MDB", dir.path(), QString("   ")}) {
            d.txtFile->setText(wrong);
            d.btnOK->click();
            EXPECT_EQ(d.result(), QDialog::Rejected) << wrong.toStdString();
            EXPECT_FALSE(d.Accepted);
        }
        QString typed = existing;
        typed.replace('/', '\\'); // typed the old way
        d.txtFile->setText(typed);
        d.btnOK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    EXPECT_TRUE(tc.messages.boxes.empty());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(path, existing);
}

TEST_F(FindFileTest, CancelAndCloseGiveNoFile) {
    locate([&](frmFindFile& d) {
        d.txtFile->setText(existing);
        d.btnCancel->click();
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(path, "");

    accepted = true;
    path = "before";
    locate([&](frmFindFile& d) {
        d.txtFile->setText(existing);
        d.close();
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(path, "");

    tc.files.answers.push_back(""); // the file dialog cancelled
    locate([&](frmFindFile& d) {
        d.txtFile->setText("kept");
        d.btnBrowse->click();
        EXPECT_EQ(d.txtFile->text(), "kept");
        d.cmdHelp->click();
        d.btnCancel->click();
    });
    ASSERT_EQ(tc.help.contexts.size(), 1u);
    EXPECT_EQ(tc.help.contexts[0], help::LocateFile);
}

TEST_F(FindFileTest, DataFileLocatedThroughTheDialogIsStored) {
    test::TempSettings store;
    ctx().services.locator = std::make_unique<FindFileLocator>();
    ctx().appFolder = dir.path() + "/app";
    tc.dialogs.script([&](QDialog& d) {
        auto& f = static_cast<frmFindFile&>(d);
        EXPECT_EQ(f.lblTitle->text(), "Could not locate File :KORDB.MDW");
        f.txtFile->setText(existing);
        f.btnOK->click();
    });
    QString result;
    ASSERT_TRUE(bReadIniStr_FileName("Options", "SystemDB32", "KORDB.MDW", "MDW", "Workgroup File",
                                     result, false));
    EXPECT_EQ(result, existing);
    EXPECT_EQ(store.value("Options", "SystemDB32"), existing);
    EXPECT_EQ(tc.dialogs.shown, QStringList{"frmFindFile"});

    // Giving up fails the caller.
    tc.dialogs.script([](QDialog& d) { static_cast<frmFindFile&>(d).btnCancel->click(); });
    EXPECT_FALSE(
        bGetIniStr_FileName("Options", "SystemDB32", "KORDB.MDW", "MDW", "Workgroup File", result));
    EXPECT_EQ(result, "");
    EXPECT_EQ(store.value("Options", "SystemDB32"), existing);
}

} // namespace
