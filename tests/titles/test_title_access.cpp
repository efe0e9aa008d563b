// Locating, opening and validating titles; the keyword index table; the word-wheel and
// topic look-ups with their messages and buffer limits.

#include "TitleFixture.h"
#include "fakes/Fakes.h"
#include "fakes/TempSettings.h"
#include "settings/SettingsStore.h"
#include "titles/TitleAccess.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleWriter.h"

#include <deque>
#include <functional>

using namespace kv;
using namespace kv::test;

namespace {

// The user in front of the locate dialog: answers in order, "" cancels.
class QueuedLocator : public IFileLocator {
public:
    struct Call {
        QString fileName, fileType, fileTypeDesc;
    };
    bool locate(const QString& fileName, QString& fullPath, const QString&, const QString& fileType,
                const QString& fileTypeDesc) override {
        calls.push_back({fileName, fileType, fileTypeDesc});
        fullPath = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) answers.pop_front();
        return !fullPath.isEmpty();
    }
    std::deque<QString> answers;
    std::vector<Call> calls;
};

const QString kNotCreated =
    QStringLiteral(" was not created for the Korvanda and cannot be loaded.");

class TitleAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto l = std::make_unique<QueuedLocator>();
        locator = l.get();
        t.ctx().services.locator = std::move(l);
        t.ctx().appFolder = dir.path();
        t.ctx().constants.strTitleMarkerFile = QStringLiteral("Korva.$$$");
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // A title with a contents page, the given wheels (built by `fill`) and, unless told
    // otherwise, the marker.
    QString writeTitle(const QString& name, bool marker = true,
                       const std::function<void(title::TitleWriter&)>& fill = {}) {
        title::TitleWriter w;
        title::PageWriter page;
        page.block(title::BlockStyle::Heading).text("Contents");
        w.setContents(w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", page.take()));
        if (fill) fill(w);
        if (marker) w.addBaggage("Korva.$$$", "x");
        QString error;
        EXPECT_TRUE(w.write(path(name), &error)) << error.toStdString();
        return path(name);
    }

    QStringList boxTexts() const { return t.messages.texts(); }

    TestContext t;
    TempSettings settings;
    QTemporaryDir dir;
    QueuedLocator* locator = nullptr;
    TitleViewer viewer;
};

TEST_F(TitleAccessTest, TitleInTheApplicationFolderOpensWithoutAsking) {
    const QString music = writeTitle("Music.M14");
    ASSERT_TRUE(bOpenTALVMVTitle("Music.M14", &viewer));
    EXPECT_NE(viewer.titleHandle(), 0);
    EXPECT_EQ(viewer.titleFile(), music);
    EXPECT_EQ(viewer.topicTitle(), "Contents") << "the contents page is shown on opening";
    EXPECT_TRUE(locator->calls.empty());
    EXPECT_TRUE(t.messages.boxes.empty());
    EXPECT_EQ(settings.value(kSectionFileLocations, "Music.M14"), music);
    EXPECT_EQ(t.busy.depth(), 0);
}

// Every kind of wrong file takes the same road: the message with its path, then the
// locate dialog again, until a real title is chosen.
TEST_F(TitleAccessTest, WrongFilesAreRefusedUntilARealTitleIsChosen) {
    const QString noMarker = writeTitle("Music.M14", false);
    const QString real = writeTitle("real.M14");
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    writeFile(path("truncated.M14"), f.readAll().left(200));
    writeFile(path("text.M14"), "This is just a text file named like a title.\n");
    writeFile(path("empty.M14"), "");
    locator->answers = {path("truncated.M14"), path("text.M14"), path("empty.M14"),
                        path("nonexistent.M14"), real};

    ASSERT_TRUE(bOpenTALVMVTitle("Music.M14", &viewer));
    EXPECT_EQ(boxTexts(),
              (QStringList{noMarker + kNotCreated, path("truncated.M14") + kNotCreated,
                           path("text.M14") + kNotCreated, path("empty.M14") + kNotCreated,
                           path("nonexistent.M14") + kNotCreated}));
    for (const ShownBox& b : t.messages.boxes) {
        EXPECT_EQ(b.title, "Korvanda");
        EXPECT_EQ(b.icon, mb::Exclamation);
    }
    ASSERT_EQ(locator->calls.size(), 5u);
    EXPECT_EQ(locator->calls[0].fileName, "Music.M14");
    EXPECT_EQ(locator->calls[0].fileType, "M14");
    EXPECT_EQ(locator->calls[0].fileTypeDesc, "Korvanda Title");
    EXPECT_EQ(viewer.titleFile(), real);
    EXPECT_NE(viewer.titleHandle(), 0);
    // The location that worked replaces the one that failed, under the key it was read from.
    EXPECT_EQ(settings.value(kSectionFileLocations, "Music.M14"), real);
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(TitleAccessTest, CancellingAfterAWrongFileGivesACleanFalse) {
    writeFile(path("Music.M14"), "MZ\x90\x00 not a title");
    ASSERT_FALSE(bOpenTALVMVTitle("Music.M14", &viewer));
    EXPECT_EQ(boxTexts(), QStringList{path("Music.M14") + kNotCreated});
    EXPECT_EQ(locator->calls.size(), 1u);
    EXPECT_EQ(viewer.titleHandle(), 0);
    EXPECT_EQ(viewer.titleFile(), "");
    EXPECT_EQ(viewer.currentAddress(), -1);

    // A title without the marker is closed too, not left half-accepted in the viewer.
    t.messages.boxes.clear();
    writeTitle("Music.M14", false);
    ASSERT_FALSE(bOpenTALVMVTitle("Music.M14", &viewer));
    EXPECT_EQ(viewer.titleHandle(), 0);
    EXPECT_EQ(boxTexts().size(), 1);

    // Missing with no file chosen: no "not created" message at all.
    t.messages.boxes.clear();
    QFile::remove(path("Music.M14"));
    ASSERT_FALSE(bOpenTALVMVTitle("Music.M14", &viewer));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(TitleAccessTest, OnlyTheMarkerNameCountsAndAViewerIsNeeded) {
    viewer.setTitleFile(writeTitle("Music.M14"));
    EXPECT_TRUE(bValidateTALVMVTitle(&viewer, "korva.$$$")) << "baggage names ignore case";
    EXPECT_FALSE(bValidateTALVMVTitle(&viewer, "Other.$$$"));
    EXPECT_EQ(boxTexts(), QStringList{path("Music.M14") + kNotCreated});

    EXPECT_FALSE(bOpenTALVMVTitle("Music.M14", nullptr));
    EXPECT_TRUE(t.messages.last().text.endsWith("bOpenTALVMVTitle"));
}

TEST_F(TitleAccessTest, IndexTableOfTheCatalogue) {
    QString error;
    ASSERT_TRUE(title::writeDemoSource(dir.path(), 5, 3, &error)) << error.toStdString();
    ASSERT_TRUE(title::compileCatalogue(dir.path(), path("Music.M14"), &error))
        << error.toStdString();
    viewer.setTitleFile(path("Music.M14"));
    ASSERT_TRUE(bInit_MV(&viewer));
    EXPECT_EQ(catalogueViewer(), &viewer);
    QStringList got;
    for (const MVIndexEntry& e : MVIndexes())
        got << e.strID + '=' + e.strName;
    EXPECT_EQ(got,
              (QStringList{"1=Artists", "2=Albums", "3=Tracks", "5=Artist Search", "6=Track Search",
                           "7=Artists (no compilations)", "8=Catalogue Numbers"}));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(TitleAccessTest, UntitledIndexesAndTitlesWithoutIndexes) {
    const QString untitled = writeTitle("untitled.M14", true, [](title::TitleWriter& w) {
        w.addWheel('A', "");
        w.addWheel(0x263A, "Smile"); // identifiers need not be ASCII
        w.addWheel('Z', std::string(300, 'n'));
    });
    viewer.setTitleFile(untitled);
    MVIndexTable table = {{"x", "old"}, {"y", "old"}, {"z", "old"}, {"w", "old"}};
    ASSERT_TRUE(bMV_LoadIndexes(table, viewer.titleHandle()));
    ASSERT_EQ(table.size(), 3);
    EXPECT_EQ(table[0].strID, "A");
    EXPECT_EQ(table[0].strName, "<Untitled Index>");
    EXPECT_EQ(table[1].strID, "Z");
    EXPECT_EQ(table[1].strName, QString(256, 'n')) << "the 257-character buffer cuts the name";
    EXPECT_EQ(table[2].strID, QString(QChar(0x263A)));
    EXPECT_EQ(table[2].strName, "Smile");

    viewer.setTitleFile(writeTitle("bare.M14"));
    ASSERT_TRUE(bInit_MV(&viewer));
    ASSERT_EQ(MVIndexes().size(), 1);
    EXPECT_EQ(MVIndexes()[0].strID, "");
    EXPECT_EQ(MVIndexes()[0].strName, "");
}

TEST_F(TitleAccessTest, InitWithoutAnOpenTitleIsAnError) {
    viewer.setTitleFile(path("missing.M14"));
    EXPECT_FALSE(bInit_MV(&viewer));
    EXPECT_FALSE(bInit_MV(nullptr));
    ASSERT_EQ(t.messages.boxes.size(), 2u);
    EXPECT_TRUE(t.messages.last().text.endsWith("bInit_MV"));
}

class WheelLookupTest : public TitleAccessTest {
protected:
    void SetUp() override {
        TitleAccessTest::SetUp();
        longKeyword = QString(300, 'k');
        longTitle = QString(200, 't');
        viewer.setTitleFile(writeTitle("Music.M14", true, [this](title::TitleWriter& w) {
            const std::string lk = longKeyword.toStdString(), lt = longTitle.toStdString();
            const uint32_t a = w.addTopic('R', "R_1", "Apple Pie", "00000001R|Apple Pie|X|0", {});
            const uint32_t b = w.addTopic('R', "R_2", lt, "00000002R|T|X|0", {});
            const int wheel = w.addWheel('1', "Words");
            w.file(wheel, w.keyword(wheel, "banana"), b);
            w.file(wheel, w.keyword(wheel, "apple"), b);
            w.file(wheel, w.keyword(wheel, "apple"), a);
            w.file(wheel, w.keyword(wheel, lk), a);
        }));
        ASSERT_NE(viewer.titleHandle(), 0);
        ASSERT_TRUE(bMV_OpenWordWheel(viewer.titleHandle(), "1", wheel, length));
    }
    void TearDown() override { MVWordWheelClose(wheel); }

    const ShownBox& onlyBox() {
        EXPECT_EQ(t.messages.boxes.size(), 1u);
        static ShownBox none;
        return t.messages.boxes.empty() ? none : t.messages.boxes.back();
    }

    QString longKeyword, longTitle;
    MVHandle wheel = 0;
    qint32 length = 0;
};

TEST_F(WheelLookupTest, KeywordsTopicsAndTitles) {
    EXPECT_EQ(length, 3);
    QString k;
    ASSERT_TRUE(bMV_Keyword(wheel, 0, k));
    EXPECT_EQ(k, "apple");
    ASSERT_TRUE(bMV_Keyword(wheel, 2, k));
    EXPECT_EQ(k, QString(260, 'k')) << "a longer keyword is cut to the 261-character buffer";
    EXPECT_EQ(lMV_WordWheelPrefix(wheel, "BAN"), 1);

    const MVHandle group = hMV_WordWheelSearch(wheel, "a*");
    ASSERT_EQ(lMV_GroupItemCount(group), 1);
    EXPECT_EQ(lMV_GroupFind(group, 0), 0);
    MVGroupFree(group);

    const qint32 n = nMV_KeyIndexGetCount(wheel, "apple");
    ASSERT_EQ(n, 2);
    QList<qint32> addresses;
    ASSERT_TRUE(bMV_KeyIndexGetAddrs(wheel, "apple", n, addresses));
    ASSERT_EQ(addresses.size(), 2);
    // A count larger than the keyword's topics yields only what is there.
    QList<qint32> more;
    ASSERT_TRUE(bMV_KeyIndexGetAddrs(wheel, "apple", 1000000, more));
    EXPECT_EQ(more, addresses);

    QString title;
    ASSERT_TRUE(bMV_TopicTitle(viewer.titleHandle(), addresses[0], title));
    EXPECT_EQ(title, "Apple Pie");
    ASSERT_TRUE(bMV_TopicTitle(viewer.titleHandle(), addresses[1], title));
    EXPECT_EQ(title, QString(127, 't')) << "topic titles come through 128 characters";
    EXPECT_EQ(vaMV_ConvertAddr(viewer.titleHandle(), addresses[1]), addresses[1]);
    EXPECT_TRUE(viewer.jumpToAddress(vaMV_ConvertAddr(viewer.titleHandle(), addresses[0])));
    EXPECT_EQ(viewer.topicText(), "00000001R|Apple Pie|X|0");
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(WheelLookupTest, FailuresSayWhatFailed) {
    MVHandle none = 123;
    qint32 len = 9;
    EXPECT_FALSE(bMV_OpenWordWheel(viewer.titleHandle(), "7", none, len));
    EXPECT_EQ(none, 0);
    EXPECT_EQ(onlyBox().text, "Unable to open Word Wheel \"7\".");
    EXPECT_EQ(onlyBox().title, "Keyword Index");
    EXPECT_EQ(onlyBox().icon, mb::Exclamation);
    t.messages.boxes.clear();
    EXPECT_FALSE(bMV_OpenWordWheel(viewer.titleHandle(), "7", none, len, true));
    EXPECT_TRUE(t.messages.boxes.empty()) << "the second open of a pair stays quiet";

    QString k = "old";
    EXPECT_FALSE(bMV_Keyword(wheel, 3, k));
    EXPECT_EQ(k, "");
    EXPECT_EQ(onlyBox().text, "Unable to look up keyword for Word Wheel at index 3.");
    t.messages.boxes.clear();
    EXPECT_FALSE(bMV_Keyword(wheel, -1, k, false));
    EXPECT_TRUE(t.messages.boxes.empty());

    EXPECT_EQ(nMV_KeyIndexGetCount(wheel, "cherry"), -1);
    EXPECT_EQ(onlyBox().text, "Unable to get topic count for keyword \"cherry\".");
    t.messages.boxes.clear();

    QString title = "old";
    EXPECT_FALSE(bMV_TopicTitle(viewer.titleHandle(), 999, title));
    EXPECT_EQ(title, "");
    EXPECT_EQ(onlyBox().text, "Unable to get topic title for address 999.");
    t.messages.boxes.clear();

    // A closed wheel answers nothing.
    MVWordWheelClose(wheel);
    EXPECT_EQ(lMV_WordWheelLength(wheel), -1);
    EXPECT_EQ(onlyBox().text, "Unable to get Word Wheel length.");
    t.messages.boxes.clear();
    QList<qint32> addresses = {1, 2};
    EXPECT_FALSE(bMV_KeyIndexGetAddrs(wheel, "apple", 2, addresses));
    EXPECT_TRUE(addresses.isEmpty());
    EXPECT_EQ(onlyBox().text, "Unable to get topic addresses for keyword \"apple\".");
    EXPECT_EQ(lMV_WordWheelPrefix(wheel, "a"), -1);
    EXPECT_EQ(hMV_WordWheelSearch(wheel, "a*"), 0);
    wheel = 0;
}

TEST(TitleAccessHelpers, PackingAndBuffers) {
    EXPECT_EQ(lngPackParam(257, 0), 257);
    EXPECT_EQ(lngPackParam(257, 3), 3 * 65536 + 257);
    EXPECT_EQ(quint32(lngPackParam(257, 0xFFFF)), 0xFFFF0101u);
    EXPECT_EQ(strCString(QString("abc") + QChar(0) + "def"), "abc");
    EXPECT_EQ(strCString(QString(4, QChar(0))), "");
    EXPECT_EQ(strCString("no nul"), "no nul");
}

} // namespace
