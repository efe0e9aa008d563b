// Identification strings of catalogue topics, hotspot data of the shop directory, and the
// shared tokenizer.

#include "core/ErrorTable.h"
#include "fakes/Fakes.h"
#include "titles/TopicData.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

class TopicDataTest : public ::testing::Test {
protected:
    test::TestContext t;

    // Decodes and returns the result; the out values land in the members.
    bool decode(const QString& id) {
        topic.lngAlbumID = -5; // stale values must not survive
        topic.strTitle = "stale";
        kind = 99;
        return bGetTopicData(id, topic, releases, kind);
    }
    TopicRecord topic;
    ReleaseArray releases;
    int kind = 0;
};

TEST_F(TopicDataTest, TokenizerSkipsRunsOfSeparatorsAndContinuesTheScan) {
    EXPECT_EQ(strTok("a||b^c|", "|^"), "a");
    EXPECT_EQ(strTok("", "|^"), "b");
    EXPECT_EQ(strTok("", "|^"), "c");
    EXPECT_EQ(strTok("", "|^"), "");
    EXPECT_EQ(strTok("", "|^"), "") << "stays used up";
    // A new text starts over; separators may differ between calls of one scan.
    EXPECT_EQ(strTok("|x^y|z", "|"), "x^y");
    EXPECT_EQ(strTok("", "^|"), "z");
    EXPECT_EQ(strTok("|||", "|"), "");
}

TEST_F(TopicDataTest, TooShortOrForeignIdentificationIsNotACatalogueTopic) {
    for (const QString& id :
         {QString(), QString("00000012"), QString("00000012X|T|A|0"), QString("00000012r|T|A|0")}) {
        EXPECT_FALSE(decode(id)) << id.toStdString();
        EXPECT_EQ(kind, kTopicNone);
        EXPECT_EQ(topic.lngAlbumID, 0);
        EXPECT_TRUE(topic.strTitle.isEmpty());
        EXPECT_EQ(releaseUpperBound(releases), 0);
    }
    EXPECT_TRUE(t.messages.boxes.empty()) << "expected conditions are not errors";
}

TEST_F(TopicDataTest, ArtistAndMiscTopicsKeepOnlyTheirKind) {
    EXPECT_TRUE(decode("00000077A|Some Artist"));
    EXPECT_EQ(kind, kTopicArtist);
    EXPECT_EQ(topic.intKind, kTopicArtist);
    EXPECT_EQ(topic.lngAlbumID, 0);
    // Only character 9 counts: what follows it is never decoded, even when malformed.
    EXPECT_TRUE(decode("xxxxxxxxM|Contents|notanumber"));
    EXPECT_EQ(kind, kTopicMisc);
    EXPECT_EQ(topic.strTitle, "");
}

TEST_F(TopicDataTest, RecordingWithReleases) {
    ASSERT_TRUE(decode("00012345R|Blue Lines|Massive Attack|2|WBRCD1^Wild Bunch^1991^^CD|"
                       "WBRLP1^Wild Bunch^1991^1996-03-01^LP"));
    EXPECT_EQ(kind, kTopicRecording);
    EXPECT_EQ(topic.intKind, kTopicRecording);
    EXPECT_EQ(topic.lngAlbumID, 12345);
    EXPECT_EQ(topic.strTitle, "Blue Lines");
    EXPECT_EQ(topic.strArtist, "Massive Attack");
    EXPECT_EQ(topic.strExtra, "");
    ASSERT_EQ(releaseUpperBound(releases), 2);
    const ReleaseRecord& cd = releases[1];
    EXPECT_EQ(cd.strCatalogueNumber, "WBRCD1");
    EXPECT_EQ(cd.strLabel, "Wild Bunch");
    EXPECT_EQ(cd.strReleaseDate, "1991");
    EXPECT_EQ(cd.strDeletedDate, "");
    EXPECT_FALSE(cd.bDeleted);
    EXPECT_EQ(cd.strMedium, "CD");
    EXPECT_EQ(cd.strDisplay, "1991 - CD");
    EXPECT_TRUE(releases[2].bDeleted);
    EXPECT_EQ(releases[2].strDeletedDate, "1996-03-01");
    EXPECT_EQ(releases[2].strDisplay, "1991 - LP");
}

// Empty fields stay in their places: a release with no label and still in print must not
// have its medium read as a deleted date.
TEST_F(TopicDataTest, EmptyFieldsKeepTheirPlaces) {
    ASSERT_TRUE(decode("00000001R|||1|CAT1^^1994^^CD"));
    EXPECT_EQ(topic.strTitle, "");
    EXPECT_EQ(topic.strArtist, "");
    ASSERT_EQ(releaseUpperBound(releases), 1);
    EXPECT_EQ(releases[1].strCatalogueNumber, "CAT1");
    EXPECT_EQ(releases[1].strLabel, "");
    EXPECT_EQ(releases[1].strReleaseDate, "1994");
    EXPECT_EQ(releases[1].strDeletedDate, "");
    EXPECT_FALSE(releases[1].bDeleted);
    EXPECT_EQ(releases[1].strMedium, "CD");

    // A release token that is empty, or short of fields, gives empty fields, and the
    // release after it is still read from its own token.
    ASSERT_TRUE(decode("00000002R|T|A|3||CAT2^EMI|CAT3^^^^MC"));
    ASSERT_EQ(releaseUpperBound(releases), 3);
    EXPECT_EQ(releases[1].strCatalogueNumber, "");
    EXPECT_EQ(releases[1].strDisplay, " - ");
    EXPECT_EQ(releases[2].strLabel, "EMI");
    EXPECT_EQ(releases[2].strMedium, "");
    EXPECT_EQ(releases[3].strCatalogueNumber, "CAT3");
    EXPECT_EQ(releases[3].strMedium, "MC");
}

TEST_F(TopicDataTest, NoReleasesGivesTheSinglePlaceholder) {
    ASSERT_TRUE(decode("00000042R|Title|Artist|0"));
    EXPECT_EQ(releases.size(), 1);
    EXPECT_EQ(releaseUpperBound(releases), 0);
    EXPECT_EQ(releases[0].strCatalogueNumber, "");
    // Tokens beyond the count are not releases.
    ASSERT_TRUE(decode("00000042R|Title|Artist|1|A^^^^CD|B^^^^LP"));
    EXPECT_EQ(releaseUpperBound(releases), 1);
}

TEST_F(TopicDataTest, MalformedNumbersAreReportedAndClearEverything) {
    struct Case {
        const char* id;
        int error;
    } cases[] = {
        {"0000x042R|T|A|0", err::TypeMismatch},
        {"00000042R|T|A|two", err::TypeMismatch},
        {"00000042R|T|A|", err::TypeMismatch},
        {"00000042R|T|A", err::TypeMismatch},
        {"00000042R", err::TypeMismatch},
        {"00000042R|T|A|-1", err::TypeMismatch},
        {"00000042R|T|A|99999999999", err::Overflow},
        // More releases promised than the string holds.
        {"00000042R|T|A|3|X^^^^CD", err::SubscriptOutOfRange},
        {"00000042R|T|A|30000", err::SubscriptOutOfRange},
    };
    for (const Case& c : cases) {
        t.messages.boxes.clear();
        EXPECT_FALSE(decode(c.id)) << c.id;
        EXPECT_EQ(kind, kTopicNone) << c.id;
        EXPECT_EQ(topic.intKind, kTopicNone);
        EXPECT_EQ(topic.lngAlbumID, 0);
        EXPECT_EQ(topic.strTitle, "");
        EXPECT_EQ(releases.size(), 1);
        ASSERT_EQ(t.messages.boxes.size(), 1u) << c.id;
        EXPECT_EQ(t.messages.last().title, "Error");
        EXPECT_TRUE(t.messages.last().text.startsWith(QStringLiteral("Error: %1 ").arg(c.error)))
            << t.messages.last().text.toStdString();
        EXPECT_TRUE(t.messages.last().text.endsWith("bGetTopicData"));
    }
}

TEST_F(TopicDataTest, DecodingLeavesTheTokenizerScanAlone) {
    EXPECT_EQ(strTok("one|two|three", "|"), "one");
    ASSERT_TRUE(decode("00000042R|T|A|1|X^L^1990^^CD"));
    ShopRecord shop;
    QString k;
    ASSERT_TRUE(bGetHotspotData("S--1|S_1|N|A|P|F|E", shop, k));
    EXPECT_EQ(strTok("", "|"), "two");
}

// Each record written out as kind, flags, number and the six fields, "/"-separated.
TEST_F(TopicDataTest, HotspotCodeAndFieldsByPosition) {
    struct Case {
        const char *data, *decoded;
    } cases[] = {
        {"XFO12", "X/FO/12//////"},
        {"X--7", "X/--/7//////"},
        {"SfO3", "S/-O/3//////"}, // flags are letters at their own places
        {"SOF3", "S/--/3//////"},
        // No phone: the fax must not move up (and the phone button stays hidden).
        {"SF-2|S_2|The Groove Cellar|3 Christmas Steps||0117 496 0231|g@example.co.uk",
         "S/F-/2/S_2/The Groove Cellar/3 Christmas Steps//0117 496 0231/g@example.co.uk"},
        {"O-O9|S_9|Name|Addr|01||", "O/-O/9/S_9/Name/Addr/01//"},
        {"F--4|S_4", "F/--/4/S_4/////"},
    };
    for (const Case& c : cases) {
        ShopRecord shop;
        shop.Name = "stale";
        QString k;
        ASSERT_TRUE(bGetHotspotData(c.data, shop, k)) << c.data;
        const QString flags = QString(shop.Featured ? "F" : "-") + (shop.OrdersDirect ? "O" : "-");
        EXPECT_EQ(QStringList({k, flags, QString::number(shop.Number), shop.Reference, shop.Name,
                               shop.Address, shop.Phone, shop.Fax, shop.EMail})
                      .join('/'),
                  c.decoded);
    }
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST_F(TopicDataTest, MalformedHotspotIsReportedAndChangesNothing) {
    ShopRecord shop;
    shop.Name = "kept";
    QString k = "K";
    for (const char* data : {"", "X", "XFO", "XFOx|S_1|N", "XFO99999|S_1"}) {
        t.messages.boxes.clear();
        EXPECT_FALSE(bGetHotspotData(data, shop, k)) << data;
        ASSERT_EQ(t.messages.boxes.size(), 1u) << data;
        EXPECT_TRUE(t.messages.last().text.endsWith("bGetHotspotData"));
    }
    EXPECT_EQ(shop.Name, "kept");
    EXPECT_EQ(k, "K");
}

} // namespace
