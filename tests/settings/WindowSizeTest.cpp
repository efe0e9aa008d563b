// The "Window size" option as stored: its texts, what "Automatic" stands for on a screen,
// the start-up read that mends the store, and the read before start-up that must not.

#include "fakes/FifoRelease.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/WindowSize.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kv;

namespace {

TEST(WindowSize, EveryChoiceRoundTripsAndNothingElseConverts) {
    for (int choice : kWindowSizeChoices) {
        int read = -1;
        ASSERT_TRUE(bTextToWindowSize(strWindowSizeText(choice), read)) << choice;
        EXPECT_EQ(read, choice);
    }
    EXPECT_EQ(strWindowSizeText(kWindowSizeAutomatic), "Automatic");
    EXPECT_EQ(strWindowSizeText(125), "125%");

    // A hand-edited store may spell them loosely.
    const std::pair<const char*, int> loose[] = {
        {"automatic", kWindowSizeAutomatic}, {" AUTOMATIC ", kWindowSizeAutomatic},
        {"150", 150}, {" 200 % ", 200}, {"100 %", 100}};
    for (const auto& [text, expected] : loose) {
        int read = -1;
        EXPECT_TRUE(bTextToWindowSize(text, read)) << text;
        EXPECT_EQ(read, expected) << text;
    }
    // Sizes the layout was never tried at, and everything else, do not convert.
    for (const char* text : {"", "175%", "0", "0%", "-100%", "100%%", "1e2", "150.0", "%",
                             "big", "Automatic!", "2000000000000%"}) {
        int read = 77;
        EXPECT_FALSE(bTextToWindowSize(text, read)) << text;
        EXPECT_EQ(read, 77) << text;
    }
}

TEST(WindowSize, AutomaticIsTheLargestSizeWithinSevenTenthsOfTheScreen) {
    const std::pair<QSize, int> screens[] = {
        {{640, 480}, 100},    // the smallest screen the layout serves
        {{800, 600}, 100},    //
        {{1024, 768}, 100},   // 125% would be 800 wide, more than 716.8
        {{1280, 1024}, 125},  // 150% would be 960 wide, more than 896
        {{1366, 768}, 100},   // wide enough for 150%, too low for 125% (580 > 537.6)
        {{1920, 1080}, 150},  // 200% would be 928 high, more than 756
        {{2560, 1440}, 200},  //
        {{3840, 2160}, 200},  // nothing larger is offered
        {{1143, 829}, 125},   // 800 x 580 just fits
        {{1142, 829}, 100},   // one pixel narrower it does not
        {{1143, 828}, 100},   // nor one pixel lower
        {{}, 100},            // a screen that could not be measured
        {{-5, 900}, 100},
    };
    for (const auto& [available, expected] : screens)
        EXPECT_EQ(intAutomaticWindowSize(available), expected)
            << available.width() << " x " << available.height();
}

TEST(WindowSize, AFixedSizeFitsWhenTheWholeWindowIsOnTheScreenAtTheScaleNowDrawn) {
    // A program drawn at 100% on a 1280 x 1024 screen: 200% would be 1280 x 928.
    EXPECT_TRUE(bWindowSizeFits(200, 100, {1280, 1024}));
    EXPECT_FALSE(bWindowSizeFits(200, 100, {1279, 1024}));
    EXPECT_FALSE(bWindowSizeFits(200, 100, {1280, 927}));
    // Drawn at 200% the same screen reads 640 x 512 logical pixels, and 200% still fits.
    EXPECT_TRUE(bWindowSizeFits(200, 200, {640, 512}));
    EXPECT_FALSE(bWindowSizeFits(150, 100, {800, 600}));
    EXPECT_TRUE(bWindowSizeFits(100, 100, {800, 600}));
    // Automatic picks what fits; an unknown screen warns of nothing.
    EXPECT_TRUE(bWindowSizeFits(kWindowSizeAutomatic, 100, {320, 200}));
    EXPECT_TRUE(bWindowSizeFits(200, 100, {}));
}

class WindowSizeStore : public ::testing::Test {
protected:
    void writeStore(const QByteArray& text) {
        QDir().mkpath(QFileInfo(store.file()).path());
        QFile f(store.file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray storeText() const {
        QFile f(store.file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    test::TestContext tc;
    test::TempSettings store;
    const QString& po = kSectionProgramOptions;
};

TEST_F(WindowSizeStore, StartUpReadsTheChoiceAndMendsOnlyWhatDoesNotConvert) {
    // Missing: "Automatic", and the key exists afterwards.
    ASSERT_TRUE(bInit_Options());
    EXPECT_EQ(ctx().options.intWindowSize, kWindowSizeAutomatic);
    EXPECT_EQ(store.value(po, "Window Size"), "Automatic");

    // The user's own spelling of a valid choice stays as it is.
    store.set(po, "Window Size", " 150 ");
    ASSERT_TRUE(bInit_Options());
    EXPECT_EQ(ctx().options.intWindowSize, 150);
    EXPECT_EQ(store.value(po, "Window Size"), " 150 ");

    for (const char* bad : {"175%", "huge", ""}) {
        store.set(po, "Window Size", bad);
        ctx().options.intWindowSize = 200;
        ASSERT_TRUE(bInit_Options());
        EXPECT_EQ(ctx().options.intWindowSize, kWindowSizeAutomatic) << bad;
        EXPECT_EQ(store.value(po, "Window Size"), "Automatic") << bad;
    }
    EXPECT_TRUE(tc.messages.boxes.empty());
}

TEST_F(WindowSizeStore, TheReadBeforeStartUpWritesNothingAndLeavesDamageToStartUp) {
    EXPECT_EQ(peekWindowSizeSetting(), kWindowSizeAutomatic);
    EXPECT_FALSE(QFile::exists(store.file()));

    writeStore("[Program%20Options]\nWindow%20Size=125 %\nQuick%20Add=yes\n");
    EXPECT_EQ(peekWindowSizeSetting(), 125);
    writeStore("[Program%20Options]\nWindow%20Size=enormous\n");
    EXPECT_EQ(peekWindowSizeSetting(), kWindowSizeAutomatic);
    EXPECT_EQ(storeText(), "[Program%20Options]\nWindow%20Size=enormous\n");

    // A store too large to be the program's: not read, not set aside, nobody told ...
    QByteArray big = "[Program%20Options]\nWindow%20Size=200%\n";
    big += QByteArray(int(settings::kMaxStoreFileSize), '#');
    writeStore(big);
    EXPECT_EQ(peekWindowSizeSetting(), kWindowSizeAutomatic);
    EXPECT_EQ(storeText(), big);
    EXPECT_TRUE(tc.messages.boxes.empty());
    // ... so that the start-up read still finds it, keeps it aside and says so.
    ASSERT_TRUE(bInit_Options());
    EXPECT_EQ(tc.messages.boxes.size(), 1u);
    EXPECT_TRUE(QFile::exists(store.file() + ".damaged"));
}

TEST_F(WindowSizeStore, TheReadBeforeStartUpNeverWaitsOnAFifo) {
    QDir().mkpath(QFileInfo(store.file()).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(store.file()).constData(), 0600), 0);
    test::FifoRelease release(store.file());
    EXPECT_EQ(peekWindowSizeSetting(), kWindowSizeAutomatic);
    EXPECT_FALSE(release.released()) << "the read blocked on the FIFO";
}

} // namespace
