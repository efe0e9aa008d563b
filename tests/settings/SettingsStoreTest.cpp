#include "settings/SettingsStore.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/FileLocations.h"
#include "settings/Options.h"
#include "settings/Printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TestContext tc;
    test::TempSettings store;
    const QString& po = kSectionProgramOptions;
};

TEST_F(SettingsStoreTest, FirstRunCreatesEveryProgramOptionWithItsDefault) {
    ctx().options.QuickSearch = {false, true, true}; // whatever was there before
    ASSERT_TRUE(bInit_Options());

    const ProgramOptions defaults;
    EXPECT_EQ(ctx().options.QuickSearch, defaults.QuickSearch);
    EXPECT_EQ(ctx().options.AutoSearch, defaults.AutoSearch);
    EXPECT_EQ(store.keys(po).size(), 15);
    EXPECT_EQ(store.value(po, "Artist Quick Search"), "True");
    EXPECT_EQ(store.value(po, "Album Quick Search"), "False");
    EXPECT_EQ(store.value(po, "Album Auto Search"), "True");
    EXPECT_EQ(store.value(po, "Track Auto Search"), "False");
    EXPECT_EQ(store.value(po, "Include Compilations"), "False");
    EXPECT_EQ(store.value(po, "Collection Tips"), "False");
    EXPECT_EQ(store.value(po, "Play Intro"), "True");
    EXPECT_TRUE(store.has(po, "Browser Path"));
    EXPECT_EQ(store.value(po, "Browser Name"), "");
    EXPECT_EQ(store.value(po, "Window Size"), "Automatic");
    EXPECT_TRUE(tc.messages.boxes.empty());
    EXPECT_TRUE(store.file().startsWith(store.folder() + "/TALV_Ltd/"));
}

TEST_F(SettingsStoreTest, StoredOptionsAreReadAndKeptAsTheyAre) {
    store.set(po, "Artist Quick Search", "false");
    store.set(po, "Track Auto Search", " TRUE ");
    store.set(po, "Include Compilations", "-1");
    store.set(po, "Quick Add", "0");
    store.set(po, "Browser Path", "/usr/bin/firefox");
    ASSERT_TRUE(bInit_Options());

    EXPECT_FALSE(ctx().options.QuickSearch[0]);
    EXPECT_TRUE(ctx().options.AutoSearch[2]);
    EXPECT_TRUE(ctx().options.bIncludeCompilations);
    EXPECT_FALSE(ctx().options.bQuickAdd);
    EXPECT_EQ(ctx().options.strBrowserPath, "/usr/bin/firefox");
    // Only a value equal to the default is written back; the user's own spelling stays.
    EXPECT_EQ(store.value(po, "Artist Quick Search"), "false");
    EXPECT_EQ(store.value(po, "Track Auto Search"), " TRUE ");
    EXPECT_EQ(store.value(po, "Include Compilations"), "-1");
}

TEST_F(SettingsStoreTest, BooleanThatDoesNotConvertIsReplacedByItsDefaultSilently) {
    const char* bad[] = {"yes", "", "garbage", "nan", "True!"};
    for (const char* text : bad) {
        store.set(po, "Confirm Delete", text);
        store.set(po, "Collection Tips", text);
        EXPECT_TRUE(GetSetting_Bool(po, "Confirm Delete", true)) << text;
        EXPECT_FALSE(GetSetting_Bool(po, "Collection Tips", false)) << text;
        EXPECT_EQ(store.value(po, "Confirm Delete"), "True") << text;
        EXPECT_EQ(store.value(po, "Collection Tips"), "False") << text;
    }
    EXPECT_TRUE(tc.messages.boxes.empty());
}

TEST_F(SettingsStoreTest, TextSettingsWriteBackOnlyTheirDefault) {
    EXPECT_EQ(GetSetting_Str("Options", "SystemDB32", "/opt/k/KORDB.MDW"), "/opt/k/KORDB.MDW");
    EXPECT_EQ(store.value("Options", "SystemDB32"), "/opt/k/KORDB.MDW");

    // A workgroup path cleared after a bad file stays cleared: "" is a value, not a miss.
    store.set("Options", "SystemDB32", "");
    EXPECT_EQ(GetSetting_Str("Options", "SystemDB32", "/opt/k/KORDB.MDW"), "");
    EXPECT_EQ(store.value("Options", "SystemDB32"), "");
}

TEST_F(SettingsStoreTest, AwkwardTextRoundTrips) {
    const QString texts[] = {
        "C:\\Program Files\\Web, \"Browser\"\\run.exe",
        "@start; with = signs [and] brackets",
        "  leading and trailing blanks  ",
        "Ünïcödé ☺ text",
        QString(100000, QChar('x')),
    };
    for (const QString& text : texts) {
        ASSERT_TRUE(SaveSetting_Str(po, "Browser Name", text));
        EXPECT_EQ(GetSetting_Str(po, "Browser Name", ""), text);
    }
    // Keys with separators stay keys of their own section.
    ASSERT_TRUE(SaveSetting_Str("File Locations", "a/b\\c.M14", "/x"));
    EXPECT_EQ(GetSetting_Str("File Locations", "a/b\\c.M14", ""), "/x");
    EXPECT_TRUE(store.keys("File Locations").size() == 1);
}

TEST_F(SettingsStoreTest, HandEditedListValueReadsAsItsText) {
    QDir().mkpath(QFileInfo(store.file()).path());
    QFile f(store.file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Program%20Options]\nBrowser%20Name=Fire,Fox\n");
    f.close();
    EXPECT_EQ(GetSetting_Str(po, "Browser Name", ""), "Fire,Fox");
}

TEST_F(SettingsStoreTest, DamagedStoreIsKeptAsideNotOverwritten) {
    QDir().mkpath(QFileInfo(store.file()).path());
    QByteArray junk("[Program%20Options]\nQuick%20Add=False\n[broken\n");
    for (int i = 0; i < 256; ++i)
        junk.append(char(i));
    QFile f(store.file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(junk);
    f.close();

    ASSERT_TRUE(bInit_Options());
    QFile aside(store.file() + ".damaged");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), junk);
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(tc.messages.last().text.contains("could not be read"));
    EXPECT_EQ(tc.messages.last().icon, mb::Exclamation);
    // The fresh store holds the defaults.
    EXPECT_EQ(store.value(po, "Quick Add"), "True");
    EXPECT_TRUE(ctx().options.bQuickAdd);
}

TEST_F(SettingsStoreTest, UnwritableStoreReadsDefaultsAndReportsFailedSaves) {
    QTemporaryDir dir;
    const QString blocker = dir.path() + "/file";
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString previous = settings::setStoreFolder(blocker + "/below-a-file");

    EXPECT_TRUE(bInit_Options()); // reading needs no write
    EXPECT_TRUE(tc.messages.boxes.empty());
    EXPECT_FALSE(SaveSetting_Bool(po, "Quick Add", false));
    ASSERT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_EQ(tc.messages.last().title, "Error");
    EXPECT_TRUE(tc.messages.last().text.startsWith("Error: 75 "));
    EXPECT_TRUE(tc.messages.last().text.endsWith("SaveSetting_Bool"));

    EXPECT_FALSE(bSave_Options());
    EXPECT_EQ(tc.messages.boxes.size(), 2u); // one box for all the keys
    settings::setStoreFolder(previous);
}

TEST_F(SettingsStoreTest, TheApplicationNameChoosesTheStore) {
    ctx().constants.strSettingsApp = "  Other_App ";
    SaveSetting_Str(po, "Browser Name", "x");
    EXPECT_TRUE(QFile::exists(store.folder() + "/Other_App/Other_App.ini"));
    ctx().constants.strSettingsApp = "TALV_Ltd";
    EXPECT_EQ(GetSetting_Str(po, "Browser Name", "none"), "none");
}

} // namespace
