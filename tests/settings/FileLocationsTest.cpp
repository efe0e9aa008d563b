#include "settings/FileLocations.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/Printers.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kv;

namespace {

// Stands for the user in front of the locate dialog.
class ScriptedLocator : public IFileLocator {
public:
    struct Call {
        QString fileName, initDir, fileType, fileTypeDesc;
    };
    bool locate(const QString& fileName, QString& fullPath, const QString& initDir,
                const QString& fileType, const QString& fileTypeDesc) override {
        calls.push_back({fileName, initDir, fileType, fileTypeDesc});
        fullPath = answer;
        return !answer.isEmpty();
    }
    QString answer;
    std::vector<Call> calls;
};

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("data");
}

TEST(FilePaths, SplitIntoFolderAndFileName) {
    struct Case {
        const char *path, *dir, *file;
    } cases[] = {
        {"/opt/korvanda/KORDB.MDB", "/opt/korvanda/", "KORDB.MDB"},
        {"C:\\Korvanda\\Music.M14", "C:/Korvanda/", "Music.M14"},
        {"KORDB.MDB", "", "KORDB.MDB"},
        {"/KORDB.MDB", "/", "KORDB.MDB"},
        {"/opt/korvanda/", "/opt/korvanda/", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Dir_Part(c.path), c.dir) << c.path;
        EXPECT_EQ(File_Part(c.path), c.file) << c.path;
    }
}

TEST(FilePaths, FindInParentLooksExactlyOneFolderUp) {
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + "/a/KORDB.MDB");

    QString found;
    EXPECT_TRUE(Find_In_Parent(root + "/a/b/KORDB.MDB", found));
    EXPECT_EQ(found, root + "/a/KORDB.MDB");
    EXPECT_TRUE(Find_In_Parent(root + "\\a\\b\\KORDB.MDB", found));
    EXPECT_FALSE(Find_In_Parent(root + "/a/b/c/KORDB.MDB", found)); // two levels up
    EXPECT_EQ(found, root + "/a/b/KORDB.MDB");

    QString untouched = "unchanged";
    EXPECT_FALSE(Find_In_Parent("/KORDB.MDB", untouched));
    EXPECT_FALSE(Find_In_Parent("KORDB.MDB", untouched));
    EXPECT_FALSE(Find_In_Parent("", untouched));
    EXPECT_EQ(untouched, "unchanged");
}

TEST(FilePaths, OnlyReadableFilesExist) {
    QTemporaryDir dir;
    touch(dir.path() + "/f.M14");
    EXPECT_TRUE(FileExists(dir.path() + "/f.M14"));
    EXPECT_FALSE(FileExists(dir.path()));
    EXPECT_FALSE(FileExists(dir.path() + "/g.M14"));
    EXPECT_FALSE(FileExists(""));
    // A FIFO is never a data file: opening it to read would block.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + "/p.M14").constData(), 0600), 0);
    EXPECT_FALSE(FileExists(dir.path() + "/p.M14"));
    QString found;
    EXPECT_FALSE(Find_In_Parent(dir.path() + "/sub/p.M14", found));
}

class LocateDataFileTest : public ::testing::Test {
protected:
    LocateDataFileTest() {
        locator = new ScriptedLocator;
        ctx().services.locator.reset(locator);
        appDir = data.path() + "/app";
        QDir().mkpath(appDir);
        ctx().appFolder = appDir + "/";
    }
    test::TestContext tc;
    test::TempSettings store;
    QTemporaryDir data;
    QString appDir;
    ScriptedLocator* locator;
};

TEST_F(LocateDataFileTest, FileInTheApplicationFolderIsUsedWithoutAsking) {
    touch(appDir + "/KORDB.MDB");
    QString path;
    ASSERT_TRUE(bReadIniStr_FileName("File Locations", "Database", "KORDB.MDB", "MDB",
                                     "Access Database File", path, false));
    EXPECT_EQ(path, appDir + "/KORDB.MDB");
    EXPECT_EQ(store.value("File Locations", "Database"), appDir + "/KORDB.MDB");
    EXPECT_TRUE(locator->calls.empty());
}

TEST_F(LocateDataFileTest, StoredPathWithBackslashesIsReadAsAPath) {
    touch(data.path() + "/elsewhere/Music.M14");
    QString stored = data.path() + "/elsewhere/Music.M14";
    stored.replace('/', '\\');
    store.set("File Locations", "Music.M14", stored);
    QString path;
    ASSERT_TRUE(bReadIniStr_FileName("File Locations", "Music.M14", "Music.M14", "M14",
                                     "Catalogue Title", path, true));
    EXPECT_EQ(path, data.path() + "/elsewhere/Music.M14");
}

TEST_F(LocateDataFileTest, FileOneFolderUpIsUsedButNotStored) {
    touch(data.path() + "/VIVO_GO.EXE");
    const QString stale = appDir + "/VIVO_GO.EXE"; // app folder is one below data
    store.set("File Locations", "VIVO_GO.EXE", stale);
    QString path;
    ASSERT_TRUE(bReadIniStr_FileName("File Locations", "VIVO_GO.EXE", "VIVO_GO.EXE", "EXE",
                                     "Vivo Movie", path, true));
    EXPECT_EQ(path, data.path() + "/VIVO_GO.EXE");
    EXPECT_EQ(store.value("File Locations", "VIVO_GO.EXE"), stale);
    EXPECT_TRUE(locator->calls.empty());
}

TEST_F(LocateDataFileTest, WithoutParentSearchTheUserIsAskedAtOnceAndTheAnswerStored) {
    touch(data.path() + "/KORDB.MDW");
    touch(data.path() + "/chosen/KORDB.MDW");
    locator->answer = data.path() + "/chosen/KORDB.MDW";
    QString path;
    ASSERT_TRUE(bReadIniStr_FileName("Options", "SystemDB32", "KORDB.MDW", "MDW", "Workgroup File",
                                     path, false));
    ASSERT_EQ(locator->calls.size(), 1u);
    EXPECT_EQ(locator->calls[0].fileName, "KORDB.MDW");
    EXPECT_EQ(locator->calls[0].fileType, "MDW");
    EXPECT_EQ(locator->calls[0].fileTypeDesc, "Workgroup File");
    EXPECT_EQ(locator->calls[0].initDir, appDir); // the stored folder is the app folder
    EXPECT_EQ(path, data.path() + "/chosen/KORDB.MDW");
    EXPECT_EQ(store.value("Options", "SystemDB32"), path);
}

TEST_F(LocateDataFileTest, GivingUpFailsQuietlyAndStoresNothingNew) {
    store.set("File Locations", "Database", "/gone/KORDB.MDB");
    QString path = "stale";
    EXPECT_FALSE(bReadIniStr_FileName("File Locations", "Database", "KORDB.MDB", "MDB",
                                      "Access Database File", path, true));
    EXPECT_EQ(path, "");
    EXPECT_EQ(store.value("File Locations", "Database"), "/gone/KORDB.MDB");
    EXPECT_EQ(locator->calls.size(), 1u);
    EXPECT_EQ(locator->calls[0].initDir, appDir); // "/gone" does not exist
    EXPECT_TRUE(tc.messages.boxes.empty());
}

TEST_F(LocateDataFileTest, AskingAgainAlwaysShowsTheDialog) {
    touch(appDir + "/KORDB.MDB");
    touch(data.path() + "/other/KORDB.MDB");
    store.set("File Locations", "Database", appDir + "/KORDB.MDB");
    locator->answer = data.path() + "/other/KORDB.MDB";
    QString path;
    ASSERT_TRUE(bGetIniStr_FileName("File Locations", "Database", "KORDB.MDB", "MDB",
                                    "Access Database File", path));
    EXPECT_EQ(locator->calls.size(), 1u);
    EXPECT_EQ(store.value("File Locations", "Database"), data.path() + "/other/KORDB.MDB");
}

TEST_F(LocateDataFileTest, NoLocatorServiceIsAnErrorNotACrash) {
    ctx().services.locator.reset();
    QString path;
    EXPECT_FALSE(bReadIniStr_FileName("File Locations", "Database", "KORDB.MDB", "MDB",
                                      "Access Database File", path, false));
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.endsWith("bReadIniStr_FileName"));
}

} // namespace
