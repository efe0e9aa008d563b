// The catalogue-number wheel: a collector types the number printed on the record in hand,
// however it is spaced or punctuated, and finds the recording that carries it.

#include "TitleFixture.h"

#include "titles/engine/Fold.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/Wheels.h"

using namespace kv;
using namespace kv::test;

namespace {

const QByteArray kArtists = "artist_id,name,sort_name,compilation\n"
                            "1,Josh Wink,,0\n"
                            "2,Sylk 130,,0\n"
                            "3,Various,,1\n";
const QByteArray kRecordings = "album_id,title,artist_id,year,genre\n"
                               "201,Profound Sounds,1,1999,Electronic\n"
                               "202,When The Funk Hits,2,1997,\n"
                               "203,Untold Numbers,1,,\n"
                               "204,No Releases,3,,\n";
// 201 has three releases, one of them on two labels; 202 shares a number with 201, spelt
// differently; 203's only release has no number of its own.
const QByteArray kReleases = "album_id,catalogue_number,label,release_date,deleted_date,medium\n"
                             "201,CK 63628,Ruffhouse,1999-07-13,,CD\n"
                             "201,\"491 234-2, CK 69999\",\"Columbia, Ruffhouse\",1998,,2xLP\n"
                             "201,ck 69999,Ruffhouse,1998,,LP\n"
                             "202,CK-63628,Ovum,1997,,CD\n"
                             "203,[r900],,,,\n"
                             "203,- . /,,,,\n";
const QByteArray kTracks = "album_id,disc,number,title,duration,artist_id\n"
                           "201,1,1,Intro,60,\n";

class CatalogueNumberTest : public TitleTest {
protected:
    void SetUp() override {
        title = catalogue(kArtists, kRecordings, kReleases, kTracks);
        ASSERT_NE(title, 0);
        numbers = wheel(title, wheel::code(wheel::CatalogueNumbers));
        ASSERT_NE(numbers, 0);
    }
    MVHandle title = 0, numbers = 0;
};

TEST_F(CatalogueNumberTest, EveryNumberOnceWithoutBlanksOrStandIns) {
    // Spellings that differ in blanks, punctuation or case are one keyword; "[r900]" and a
    // number of punctuation alone add nothing.
    EXPECT_EQ(keywords(numbers), QStringList({"4912342", "CK63628", "CK69999"}));
    EXPECT_EQ(topicTitles(title, numbers, "CK63628"),
              QStringList({"Profound Sounds - Josh Wink", "When The Funk Hits - Sylk 130"}));
    // A recording is filed once under a number several of its releases carry.
    EXPECT_EQ(topicTitles(title, numbers, "CK69999"), QStringList({"Profound Sounds - Josh Wink"}));
    EXPECT_EQ(topicTitles(title, numbers, "4912342"), QStringList({"Profound Sounds - Josh Wink"}));
}

TEST_F(CatalogueNumberTest, TypingFindsTheNumberHoweverItIsSpelt) {
    for (const QString typed : {"CK 63628", "ck63628", "CK-63628", "c.k/ 63628", " CK  63628 "}) {
        EXPECT_EQ(lMVWordWheelPrefix(numbers, typed), 1) << typed.toStdString();
        EXPECT_EQ(search(numbers, typed), QStringList({"1:CK63628"})) << typed.toStdString();
    }
    EXPECT_EQ(search(numbers, "ck 6*"), QStringList({"1:CK63628", "2:CK69999"}));
    EXPECT_EQ(search(numbers, "491 234-*"), QStringList({"0:4912342"}));
    EXPECT_EQ(lMVWordWheelPrefix(numbers, "CK 7"), 3) << "after the last number";
    EXPECT_TRUE(search(numbers, "CK 6362").isEmpty()) << "a whole number matches only itself";

    // The other wheels keep their own folding: a dash there is part of the text.
    const MVHandle albums = wheel(title, wheel::code(wheel::Albums));
    EXPECT_TRUE(search(albums, "Pro-found").isEmpty());
}

TEST_F(CatalogueNumberTest, KeywordsOfAReleaseField) {
    using title::catalogueNumberKeywords;
    using V = std::vector<std::string>;
    EXPECT_EQ(catalogueNumberKeywords("CK 63628, 491 234-2"), V({"CK63628", "4912342"}));
    EXPECT_EQ(catalogueNumberKeywords("ab-1, AB 1, ab.1"), V({"AB1"}));
    EXPECT_EQ(catalogueNumberKeywords("[r12345]"), V());
    EXPECT_EQ(catalogueNumberKeywords("[R12], [r], , -"), V({"[R12]", "[R]"}))
        << "only Discogs' own stand-in is left out";
    EXPECT_EQ(catalogueNumberKeywords("caf\xC3\xA9 1"), V({"CAF\xC3\xA9"
                                                           "1"}))
        << "non-ASCII letters are kept as written and folded at look-up";
    EXPECT_EQ(title::compactCatalogueNumber(QStringLiteral("CK 6*-?")), QStringLiteral("CK6*?"));
}

// A title compiled before the wheel existed has none; asking for it fails cleanly and the
// other wheels are unchanged.
TEST_F(CatalogueNumberTest, TitlesWithoutTheWheelRefuseItCleanly) {
    title::TitleWriter w;
    const int albums = w.addWheel(wheel::Albums, "Albums");
    const uint32_t topic = w.addTopic('R', "R_1", "Old - Timer", "00000001R|Old|Timer|0", "");
    w.file(albums, w.keyword(albums, "Old"), topic);
    QString error;
    ASSERT_TRUE(w.write(path("Old.M14"), &error)) << error.toStdString();
    const MVHandle old = open(path("Old.M14"));
    ASSERT_NE(old, 0);
    EXPECT_EQ(hMVWordWheelOpenTitle(old, wheel::name(wheel::CatalogueNumbers)), 0);
    EXPECT_EQ(keywords(wheel(old, wheel::code(wheel::Albums))), QStringList({"Old"}));
}

} // namespace
