// The keyword search apart from its screen, on a real compiled catalogue, and what the
// screen makes of it when the search type changes.

#include "SearchFixture.h"
#include "search/KeywordSearch.h"
#include "titles/TitleAccess.h"

using namespace kv;
using namespace kv::test;

namespace {

class KeywordSearchTest : public SearchScreenTest {
protected:
    KeywordSearchTest() { title = hMVTitleOpen(titlePath); }
    ~KeywordSearchTest() override {
        if (title)
            MVTitleClose(title);
    }
    QStringList rows(const KeywordSearch& search) {
        QStringList all;
        for (qint32 r = 0; r < search.rows(); ++r)
            all << search.keyword(r);
        return all;
    }
    MVHandle title = 0;
};

TEST_F(KeywordSearchTest, ListsAnIndexSearchesItsMatchesAndFilesTopics) {
    ASSERT_NE(title, 0);
    KeywordSearch search;
    search.open(title, 1, false);
    ASSERT_NE(search.primary(), 0);
    EXPECT_EQ(search.listIndex(), 5);
    EXPECT_TRUE(search.listMode());
    EXPECT_EQ(rows(search),
              QStringList({"Arrival", "Blonde on Blonde", "Brothers Live", "Hits Collection", "Waterloo"}));
    EXPECT_EQ(search.prefixRow("wat"), 4);

    // Matches of "b*" are rows of their own; the index rows come back with the listing.
    EXPECT_EQ(search.searchWildcard("  b "), 2);
    EXPECT_FALSE(search.listMode());
    EXPECT_EQ(rows(search), QStringList({"Blonde on Blonde", "Brothers Live"}));
    EXPECT_EQ(search.searchWildcard("nothing like it"), 0);
    EXPECT_EQ(search.keyword(0), "");
    EXPECT_EQ(search.listIndex(), 5);
    EXPECT_EQ(search.keyword(0), "Arrival");

    const QList<qint32> topics = search.topicAddresses("Arrival");
    ASSERT_EQ(topics.size(), 1);
    EXPECT_TRUE(search.topicAddresses("Not a recording").isEmpty());
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.texts().join(" | ").toStdString();
}

TEST_F(KeywordSearchTest, ArtistsWithOrWithoutCompilationsAndClosingLeavesNothingOpen) {
    KeywordSearch search;
    search.open(title, 0, false);
    EXPECT_EQ(search.listIndex(), 4);
    search.open(title, 0, true);
    EXPECT_EQ(search.listIndex(), 5);
    // The wildcard wheel holds every artist either way.
    EXPECT_EQ(search.searchWildcard("var"), 1);
    search.close();
    EXPECT_EQ(search.primary(), 0);
    EXPECT_EQ(search.secondary(), 0);
    EXPECT_EQ(search.rows(), 0);
    EXPECT_EQ(search.prefixRow("a"), -1);
    EXPECT_TRUE(search.topicAddresses("Abba").isEmpty());
    EXPECT_EQ(search.listIndex(), 0);
}

TEST_F(KeywordSearchTest, WithoutATitleEachWheelIsReportedOnceAndNothingIsFound) {
    KeywordSearch search;
    search.open(0, 1, false);
    // Albums use one index twice: one message, not two.
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, "Unable to open Word Wheel \"2\".");
    EXPECT_EQ(t.messages.last().title, "Keyword Index");
    EXPECT_EQ(search.listIndex(), 0);
    EXPECT_EQ(search.searchWildcard("ab"), 0);
    search.open(0, 2, false);
    EXPECT_EQ(t.messages.texts().mid(1),
              QStringList({"Unable to open Word Wheel \"3\".", "Unable to open Word Wheel \"6\"."}));
}

TEST_F(SearchScreenTest, ALetterKeptForATypeListsThatTypesIndexWhenItComesBack) {
    frmSearch& s = screen();
    s.setSearchType(1); // albums: a letter positions, longer text searches
    type(QStringLiteral("W"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Waterloo"));
    s.setSearchType(0);
    EXPECT_EQ(s.keywordRowCount(), 4);
    s.setSearchType(1);
    // The albums, not the artists' four rows read through the albums' wheel.
    EXPECT_EQ(s.keywordRowCount(), 5);
    EXPECT_EQ(s.lblHits1->text(), QStringLiteral("5 items"));
    EXPECT_EQ(s.txtKeyword->text(), QStringLiteral("W"));
    EXPECT_EQ(currentKeyword(), QStringLiteral("Waterloo"));

    // Longer text still comes back as its matches.
    clearKeyword();
    type(QStringLiteral("bl"));
    s.setSearchType(2);
    s.setSearchType(1);
    EXPECT_TRUE(s.wildcardResult());
    EXPECT_EQ(keywords(), QStringList({"Blonde on Blonde"}));
}

} // namespace
