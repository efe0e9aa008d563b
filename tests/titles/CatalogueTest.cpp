// A small catalogue with the cases collectors meet: sort names, accents and case, shared
// titles, compilations, and the wheels built from them.

#include "TitleFixture.h"

#include "titles/engine/Page.h"

using namespace kv;
using namespace kv::test;

namespace {

const QByteArray kArtists = "artist_id,name,sort_name,compilation\n"
                            "1,Various Artists,,1\n"
                            "2,Led Zeppelin,,0\n"
                            "3,Leddy,,0\n"
                            "4,Björk,,0\n"
                            "5,Bjork,,0\n"
                            "6,BJÖRK,,0\n"
                            "7,The Beatles,\"Beatles, The\",0\n"
                            "8,Jeff Beat,,0\n"
                            "9,David Bowie,\"Bowie, David\",0\n"
                            "10,Bowie Tribute,\"Bowie, David\",0\n"
                            "11,Silent Guest,,0\n";
const QByteArray kRecordings = "album_id,title,artist_id,year,genre\n"
                               "101,Abbey Road,7,1969,Rock\n"
                               "102,Low,9,1977,\n"
                               "103,Low,10,,Tribute\n"
                               "104,Now That's Beat,1,1990,Pop\n"
                               "105,Debut,4,1993,Pop\n"
                               "106,\"Pipe | and ^ hat\",8,,\n";
const QByteArray kReleases = "album_id,catalogue_number,label,release_date,deleted_date,medium\n"
                             "101,PCS 7088,Apple,1969-09-26,,LP\n"
                             "101,CDP 7 46446 2,EMI,1987-10-19,1999-01-01,CD\n"
                             "104,NOW 1,Compilation Co,1990-01-01,,Double CD\n"
                             "106,X^1,L|2,,,\n";
const QByteArray kTracks = "album_id,disc,number,title,duration,artist_id\n"
                           "101,1,2,Something,183,\n"
                           "101,1,1,Come Together,259,\n"
                           "102,1,1,Speed of Life,,\n"
                           "104,1,1,Beat It,200,8\n"
                           "104,1,2,Something,150,11\n"
                           "104,1,3,Interlude,30,\n"
                           "105,1,1,Human Behaviour,252,\n"
                           "105,2,1,Something,100,\n";

class CatalogueTest : public TitleTest {
protected:
    void SetUp() override {
        title = catalogue(kArtists, kRecordings, kReleases, kTracks);
        ASSERT_NE(title, 0);
    }
    MVHandle title = 0;
};

TEST_F(CatalogueTest, ArtistWheelsFollowFoldedOrderAndKeepVariantsApart) {
    const QStringList all = {"Beatles, The", "Björk",          "Bjork",        "BJÖRK",
                             "Bowie, David", "Jeff Beat",      "Led Zeppelin", "Leddy",
                             "Silent Guest", "Various Artists"};
    EXPECT_EQ(keywords(wheel(title, "1")), all);
    EXPECT_EQ(keywords(wheel(title, "5")), all);
    QStringList own = all;
    own.removeAll("Various Artists");
    EXPECT_EQ(keywords(wheel(title, "7")), own);
}

TEST_F(CatalogueTest, TopicsFiledUnderArtistsAlbumsAndTracks) {
    const MVHandle artists = wheel(title, "1"), own = wheel(title, "7");
    // Two artists with the same keyword share it; a guest on a compilation finds it in "|1"
    // but not in "|7".
    EXPECT_EQ(topicTitles(title, artists, "Bowie, David"),
              QStringList({"Low - David Bowie", "Low - Bowie Tribute"}));
    EXPECT_EQ(topicTitles(title, artists, "Jeff Beat"),
              QStringList({"Now That's Beat - Various Artists", "Pipe | and ^ hat - Jeff Beat"}));
    EXPECT_EQ(topicTitles(title, own, "Jeff Beat"), QStringList({"Pipe | and ^ hat - Jeff Beat"}));
    EXPECT_EQ(topicTitles(title, artists, "Silent Guest"),
              QStringList({"Now That's Beat - Various Artists"}));
    EXPECT_EQ(nMVKeyIndexGetCount(own, "Silent Guest"), 0);
    EXPECT_EQ(nMVKeyIndexGetCount(own, "Various Artists"), -1);
    EXPECT_EQ(nMVKeyIndexGetCount(artists, "bjork"), -1) << "keywords match exactly";

    const MVHandle albums = wheel(title, "2"), tracks = wheel(title, "3");
    EXPECT_EQ(keywords(albums).count("Low"), 1);
    EXPECT_EQ(topicTitles(title, albums, "Low"),
              QStringList({"Low - David Bowie", "Low - Bowie Tribute"}));
    // A recording with the title twice (two discs) is filed once.
    EXPECT_EQ(topicTitles(title, tracks, "Something"),
              QStringList({"Abbey Road - The Beatles", "Now That's Beat - Various Artists",
                           "Debut - Björk"}));
    const QList<qint32> addrs = topics(tracks, "Something");
    EXPECT_TRUE(std::is_sorted(addrs.begin(), addrs.end()));
}

TEST_F(CatalogueTest, PrefixPositionIsTheFirstMatchOrTheInsertionPlace) {
    const MVHandle w = wheel(title, "1");
    EXPECT_EQ(lMVWordWheelPrefix(w, "led"), 6);
    EXPECT_EQ(lMVWordWheelPrefix(w, "LEDD"), 7);
    EXPECT_EQ(lMVWordWheelPrefix(w, "bjö"), 1);
    EXPECT_EQ(lMVWordWheelPrefix(w, "Bö"), 4) << "folds to \"bo\"";
    EXPECT_EQ(lMVWordWheelPrefix(w, "Lee"), 8) << "nothing starts with it";
    EXPECT_EQ(lMVWordWheelPrefix(w, "zz"), 10) << "past the end";
    EXPECT_EQ(lMVWordWheelPrefix(w, ""), 0);
    EXPECT_EQ(lMVWordWheelPrefix(w, "a"), 0);
}

TEST_F(CatalogueTest, WildcardSearchMatchesWordStartsOncePerKeyword) {
    const MVHandle w = wheel(title, "5");
    EXPECT_EQ(search(w, "beat*"), QStringList({"0:Beatles, The", "5:Jeff Beat"}));
    EXPECT_EQ(search(w, "BEAT"), QStringList({"5:Jeff Beat"}));
    EXPECT_EQ(search(w, "b?ork*"), QStringList({"1:Björk", "2:Bjork", "3:BJÖRK"}));
    EXPECT_EQ(search(w, "*the"), QStringList({"0:Beatles, The"}));
    EXPECT_EQ(search(w, "?eat*"), QStringList({"0:Beatles, The", "5:Jeff Beat"}));
    EXPECT_EQ(search(w, "*").size(), 10);
    EXPECT_EQ(search(w, "eat*"), QStringList()) << "not at a word start";
    EXPECT_EQ(search(w, "david"), QStringList({"4:Bowie, David"}));
    EXPECT_EQ(search(w, "zeppelin*"), QStringList({"6:Led Zeppelin"}));
    EXPECT_EQ(search(w, "l*n"), QStringList({"6:Led Zeppelin"}));
    EXPECT_EQ(
        search(wheel(title, "6"), "some*"),
        QStringList(
            {QStringLiteral("%1:Something").arg(lMVWordWheelPrefix(wheel(title, "6"), "some"))}));
}

TEST_F(CatalogueTest, RecordingTopicCarriesItsIdentificationStringAndPage) {
    const qint32 va = vaMVConvertContextString(title, "R_101");
    ASSERT_GE(va, 0);
    MVTopic t;
    ASSERT_TRUE(bMVGetTopic(title, va, t));
    EXPECT_EQ(t.kind, QChar('R'));
    EXPECT_EQ(t.identification, "00000101R|Abbey Road|The Beatles|2|PCS 7088^Apple^1969-09-26^^LP|"
                                "CDP 7 46446 2^EMI^1987-10-19^1999-01-01^CD");
    title::Page page;
    ASSERT_TRUE(title::decodePage({t.page.constData(), size_t(t.page.size())}, page));
    const QString text = title::pageToPlainText(page);
    EXPECT_TRUE(text.contains("1.\tCome Together\t4:19\n2.\tSomething\t3:03"))
        << text.toStdString();
    const QString html = title::pageToHtml(page);
    EXPECT_TRUE(html.contains("href=\"kvlink:2:A_7\">The Beatles</a>")) << html.toStdString();

    // Separators inside fields are replaced, so the string still splits into its fields.
    ASSERT_TRUE(bMVGetTopic(title, vaMVConvertContextString(title, "R_106"), t));
    EXPECT_EQ(t.identification, "00000106R|Pipe ¦ and ˆ hat|Jeff Beat|1|Xˆ1^L¦2^^^");
    ASSERT_TRUE(bMVGetTopic(title, vaMVConvertContextString(title, "R_102"), t));
    EXPECT_EQ(t.identification, "00000102R|Low|David Bowie|0");

    // The artist page links each recording with link type 1.
    ASSERT_TRUE(bMVGetTopic(title, vaMVConvertContextString(title, "A_8"), t));
    EXPECT_EQ(t.kind, QChar('A'));
    ASSERT_TRUE(title::decodePage({t.page.constData(), size_t(t.page.size())}, page));
    EXPECT_TRUE(title::pageToHtml(page).contains("href=\"kvlink:1:R_106\""));
    EXPECT_TRUE(title::pageToHtml(page).contains("href=\"kvlink:1:R_104\""));

    const qint32 contents = vaMVGetContents(title);
    ASSERT_TRUE(bMVGetTopic(title, contents, t));
    EXPECT_EQ(t.kind, QChar('M'));
    EXPECT_EQ(vaMVConvertContextString(title, "R_999"), -1);
}

TEST_F(CatalogueTest, IndexEnumerationAndBuffers) {
    QStringList seen;
    for (int n = 0;; ++n) {
        QString buffer(257, QChar(0));
        const qint32 code = lMVTitleGetInfo(title, kInfoIndex, 257 + 65536 * n, buffer);
        if (code == 0) break;
        seen << QString(QChar(char16_t(code))) + "=" + upToNul(buffer);
    }
    EXPECT_EQ(seen,
              QStringList({"1=Artists", "2=Albums", "3=Tracks", "5=Artist Search", "6=Track Search",
                           "7=Artists (no compilations)", "8=Catalogue Numbers"}));

    // A short buffer gets the text cut and NUL-terminated, the rest NUL-filled.
    const MVHandle w = wheel(title, "1");
    QString buffer;
    ASSERT_EQ(nMVWordWheelLookup(w, 6, buffer, 5), 0);
    EXPECT_EQ(buffer, QString("Led ") + QChar(0));
    EXPECT_NE(nMVWordWheelLookup(w, 10, buffer, 261), 0);
    EXPECT_NE(nMVWordWheelLookup(w, -1, buffer, 261), 0);
    EXPECT_EQ(lMVTitleGetInfo(title, kInfoTopicTitle, 99999, buffer), -1);
    EXPECT_EQ(lMVTitleGetInfo(title, 12345, 0, buffer), -1);

    const MVHandle marker = hMVBaggageOpen(title, "korva.$$$");
    EXPECT_NE(marker, 0);
    EXPECT_FALSE(baMVBaggageRead(marker).isEmpty());
    MVBaggageClose(marker);
    EXPECT_EQ(hMVBaggageOpen(title, "Other.$$$"), 0);
}

TEST_F(CatalogueTest, StaleAndMadeUpHandlesFailSafely) {
    const MVHandle w = wheel(title, "1");
    const MVHandle g = MVWordWheelSearch(w, "b*", 0);
    EXPECT_EQ(lMVGroupItemCount(g), 6);
    QList<qint32> range;
    EXPECT_EQ(lMVGroupFindRange(g, 4, 100, range), 2);
    EXPECT_EQ(range, QList<qint32>({4, 5}));
    EXPECT_EQ(lMVGroupFindRange(g, 7, 1, range), 0);
    EXPECT_EQ(lMVGroupFindRange(g, -1, 1, range), -1);
    // A wheel outlives the title it came from.
    const MVHandle second = open(path("Music.M14"));
    const MVHandle w2 = hMVWordWheelOpenTitle(second, "|2");
    MVTitleClose(second);
    EXPECT_EQ(lMVWordWheelLength(w2), 5);
    EXPECT_EQ(vaMVGetContents(second), -1);
    MVWordWheelClose(w2);
    EXPECT_EQ(lMVWordWheelLength(w2), -1);

    MVWordWheelClose(w);
    EXPECT_EQ(lMVGroupItemCount(g), -1) << "closing a wheel frees its groups";
    EXPECT_EQ(lMVWordWheelLength(w), -1);
    EXPECT_EQ(lMVWordWheelPrefix(w, "a"), -1);
    EXPECT_EQ(MVWordWheelSearch(w, "a*", 0), 0);
    EXPECT_EQ(nMVKeyIndexGetCount(w, "Leddy"), -1);
    QList<qint32> addrs;
    EXPECT_LT(lMVKeyIndexGetAddrs(w, "Leddy", 0, 0, addrs), 0);
    for (MVHandle made : {0, 1, -1, 0x7FFFFFFF, int(0x20001001), title + 4096, w + 1, w ^ 0x1000}) {
        EXPECT_EQ(lMVWordWheelLength(made), -1);
        EXPECT_EQ(lMVGroupFind(made, 0), -1);
        EXPECT_EQ(vaMVConvertAddr(made, 0), -1);
        EXPECT_EQ(hMVWordWheelOpenTitle(made, "|1"), 0);
        MVWordWheelClose(made);
        MVTitleClose(made);
    }
    EXPECT_NE(vaMVGetContents(title), -1) << "made-up handles closed nothing real";
    EXPECT_EQ(hMVWordWheelOpenTitle(title, "|9"), 0);
    EXPECT_EQ(hMVWordWheelOpenTitle(title, "1"), 0);
    m_wheels.clear();
}

TEST_F(CatalogueTest, GroupsBeyondTheLimitRetireTheOldest) {
    const MVHandle w = wheel(title, "1");
    const MVHandle first = MVWordWheelSearch(w, "b*", 0);
    for (int i = 0; i < kMaxLiveGroups; ++i)
        MVWordWheelSearch(w, "l*", 0);
    EXPECT_EQ(lMVGroupItemCount(first), -1);
    const MVHandle last = MVWordWheelSearch(w, "l*", 0);
    EXPECT_EQ(lMVGroupItemCount(last), 2);
}

TEST_F(CatalogueTest, KeyIndexAddressRangeIsClamped) {
    const MVHandle w = wheel(title, "3");
    QList<qint32> addrs;
    EXPECT_EQ(lMVKeyIndexGetAddrs(w, "Something", 1, 1000000, addrs), 2);
    EXPECT_EQ(addrs.size(), 2);
    EXPECT_LT(lMVKeyIndexGetAddrs(w, "Something", 2, 1, addrs), 0);
    EXPECT_LT(lMVKeyIndexGetAddrs(w, "Something", -1, 1, addrs), 0);
}

} // namespace
