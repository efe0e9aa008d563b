// How dump fields become catalogue fields: positions, durations, names, dates, formats.

#include "titles/import/DiscogsText.h"
#include "formats/TextRules.h"

#include <gtest/gtest.h>

using namespace kv::titleimport;
using namespace kv::titleimport::discogs;

namespace {

struct Placed {
    uint32_t disc, number;
    bool operator==(const Placed&) const = default;
};

// Numbers a tracklist given as positions; "^pos" marks a sub-track of the track before it,
// "~pos" a sub-track under a heading.
std::vector<Placed> number(const std::vector<std::string>& positions) {
    TrackNumbering n;
    std::vector<Placed> out;
    TrackNumbering::Place parent{};
    for (const std::string& p : positions) {
        TrackNumbering::Place at;
        if (p[0] == '^')
            at = n.sub(std::string_view(p).substr(1), &parent);
        else if (p[0] == '~')
            at = n.sub(std::string_view(p).substr(1), nullptr);
        else
            parent = at = n.next(p);
        out.push_back({at.disc, at.number});
    }
    return out;
}

TEST(DiscogsPositions, EveryFormTheDumpsUse) {
    EXPECT_EQ(number({"1", "2", "3"}), (std::vector<Placed>{{1, 1}, {1, 2}, {1, 3}}));
    // Vinyl sides: A and B are the first record, numbered on through both sides.
    EXPECT_EQ(number({"A1", "A2", "B1", "B2", "C1", "D1"}),
              (std::vector<Placed>{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2}}));
    EXPECT_EQ(number({"A", "B"}), (std::vector<Placed>{{1, 1}, {1, 2}}));
    EXPECT_EQ(number({"1-1", "1-2", "2-1", "2-2"}),
              (std::vector<Placed>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
    EXPECT_EQ(number({"CD1-1", "CD2-4", "DVD3.2", "Disc 4-1"}),
              (std::vector<Placed>{{1, 1}, {2, 4}, {3, 2}, {4, 1}}));
    // A stated number that would go back does not reorder the tracks.
    EXPECT_EQ(number({"5", "3", "", "Video"}),
              (std::vector<Placed>{{1, 5}, {1, 6}, {1, 7}, {1, 8}}));
    // Parts of one track share its number; so do sub-tracks of a track.
    EXPECT_EQ(number({"1", "2a", "2b", "3"}),
              (std::vector<Placed>{{1, 1}, {1, 2}, {1, 2}, {1, 3}}));
    EXPECT_EQ(number({"1", "^11.a", "^11.b", "2"}),
              (std::vector<Placed>{{1, 1}, {1, 1}, {1, 1}, {1, 2}}));
    // Under a heading, sub-tracks number like tracks, on the current disc.
    EXPECT_EQ(number({"A1", "~A2a", "~A2b", "B1"}),
              (std::vector<Placed>{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(number({"2-1", "~3a", "~3b", "2-4"}),
              (std::vector<Placed>{{2, 1}, {2, 3}, {2, 3}, {2, 4}}));
}

TEST(DiscogsPositions, NumbersStayWithinWhatTheCatalogueTakes) {
    EXPECT_EQ(number({"99999999-1"}), (std::vector<Placed>{{1, 1}}));
    EXPECT_EQ(number({"123456789"}), (std::vector<Placed>{{1, 1}}));
    TrackNumbering n;
    n.next("99999");
    EXPECT_EQ(n.next("").number, 99999u) << "the number stops at the largest a track may have";
    EXPECT_EQ(parsePosition("z9").disc, 13u);
}

TEST(DiscogsDurations, MinutesAndHoursOrNothing) {
    EXPECT_EQ(parseDuration("7:00"), 420);
    EXPECT_EQ(parseDuration(" 3:05 "), 185);
    EXPECT_EQ(parseDuration("75:12"), 4512);
    EXPECT_EQ(parseDuration("1:02:03"), 3723);
    EXPECT_EQ(parseDuration("0:7"), 7);
    for (const char* bad : {"", "7", "3:60", "3:5x", "1:60:00", "3.45", "3:45:", ":45", "1:2:3:4",
                            "4'33\"", "99999999999:00"})
        EXPECT_EQ(parseDuration(bad), -1) << bad;
}

TEST(DiscogsNames, SuffixSortNameAndCleaning) {
    EXPECT_EQ(withoutNumberSuffix("John Smith (2)"), "John Smith");
    EXPECT_EQ(withoutNumberSuffix("Care Company (12)"), "Care Company");
    for (const char* kept : {"Sylk 130", "Live (Remix)", "(2)", "Band(2)", "Band ()", "Band (2) X"})
        EXPECT_EQ(withoutNumberSuffix(kept), kept);

    EXPECT_EQ(sortName("The Beatles"), "Beatles, The");
    EXPECT_EQ(sortName("THE THE"), "THE, THE");
    for (const char* plain : {"Theatre Of Hate", "The", "The  Gap", "Beatles"})
        EXPECT_EQ(sortName(plain), "") << plain;

    std::string out;
    ASSERT_TRUE(cleanText("  Line one\r\nline two\ttab  ", out));
    EXPECT_EQ(out, "Line one line two tab");
    ASSERT_TRUE(cleanText("a  b", out));
    EXPECT_EQ(out, "a b");
    EXPECT_FALSE(cleanText("bad \xC3\x28 byte", out));
    // What the catalogue refuses in a field never reaches it: line and paragraph separators
    // and C1 controls part words, direction marks (common in the dumps) vanish.
    ASSERT_TRUE(cleanText(
        "one\xE2\x80\xA8two\xC2\x85three \xE2\x80\x8F" "caf\xC3\xA9\xE2\x81\xA6!\xD8\x9C", out));
    EXPECT_EQ(out, "one two three caf\xC3\xA9!");
    EXPECT_FALSE(kv::formats::textProblem(out));
    std::string longText(kMaxText - 1, 'x');
    longText += "\xC3\xA9\xC3\xA9"; // the limit falls inside a two-byte character
    ASSERT_TRUE(cleanText(longText, out));
    EXPECT_EQ(out.size(), kMaxText - 1) << "cut before the character, never inside it";
}

TEST(DiscogsDates, ZerosMeanUnknown) {
    EXPECT_EQ(releaseDate("1999-07-13"), "1999-07-13");
    EXPECT_EQ(releaseDate("1999-03-00"), "1999-03");
    EXPECT_EQ(releaseDate("1999-00-00"), "1999");
    EXPECT_EQ(releaseDate("1999"), "1999");
    EXPECT_EQ(releaseDate("0000"), "");
    EXPECT_EQ(releaseDate(""), "");
    EXPECT_EQ(releaseDate("Summer 1999"), "Summer 1999");
    EXPECT_EQ(yearOf("1999-07-13"), 1999);
    EXPECT_EQ(yearOf("1999"), 1999);
    EXPECT_EQ(yearOf("19990"), 0);
    EXPECT_EQ(yearOf("Summer"), 0);
    EXPECT_EQ(yearOf(""), 0);
}

std::string mediumOf(const std::string& formats) {
    DumpInput in;
    in.openBytes("m.xml", "<releases><release>" + formats + "</release></releases>");
    XmlRecordReader r(in);
    EXPECT_TRUE(r.start());
    EXPECT_EQ(r.next(), XmlRecordReader::Next::Record);
    return medium(r.record(), r.record().child(r.record().root(), "formats"));
}

TEST(DiscogsFormats, MediumSaysWhatTheThingIs) {
    EXPECT_EQ(mediumOf("<formats><format name=\"Vinyl\" qty=\"2\" text=\"\"><descriptions>"
                       "<description>LP</description><description>Album</description>"
                       "</descriptions></format></formats>"),
              "2\xC3\x97Vinyl, LP");
    EXPECT_EQ(mediumOf("<formats><format name=\"CD\" qty=\"1\"><descriptions><description>"
                       "Compilation</description><description>Mixed</description></descriptions>"
                       "</format></formats>"),
              "CD");
    EXPECT_EQ(
        mediumOf("<formats><format name=\"Vinyl\" qty=\"1\"><descriptions><description>7&quot;"
                 "</description><description>Single</description><description>45 RPM"
                 "</description></descriptions></format><format name=\"CD\" qty=\"0\"/>"
                 "<format name=\"\" qty=\"3\"/></formats>"),
        "Vinyl, 7\", Single + CD");
    EXPECT_EQ(mediumOf("<formats/>"), "");
    EXPECT_EQ(mediumOf(""), "");
}

} // namespace
