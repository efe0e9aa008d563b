#pragma once

// How the fields of the Discogs dumps become catalogue source fields: text cleaning, artist
// names, track positions and durations, dates and formats.

#include "titles/import/XmlRecords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::titleimport::discogs {

// Longest text field written, in bytes: far above any real title, and short enough that no
// keyword can outgrow the title format's limit even after folding.
inline constexpr size_t kMaxText = 2000;

// The artist whose releases are compilations.
inline constexpr uint64_t kVariousArtistId = 194;

// Text as the catalogue sources take it: control characters (line breaks, tabs, the
// carriage returns the dumps carry as "&#13;") become one space per run, white space is
// trimmed, and the text is cut at a character boundary to kMaxText bytes. False when the
// bytes are not valid UTF-8.
bool cleanText(std::string_view in, std::string& out);

// "John Smith (2)" → "John Smith": the number Discogs adds to tell artists of the same name
// apart is not part of the name.
std::string_view withoutNumberSuffix(std::string_view name);

// The sort name the wheels file an artist under: "The Beatles" → "Beatles, The"; empty
// when the name itself sorts right.
std::string sortName(std::string_view name);

// What a track position says: the disc (0 when it does not say) and the track number on it
// (0 when it does not say, as for vinyl sides, whose numbers start again on every side).
struct Position {
    uint32_t disc = 0;
    uint32_t number = 0;
};
Position parsePosition(std::string_view position);

// Seconds of "m:ss" or "h:mm:ss"; -1 when the text is empty or neither.
int64_t parseDuration(std::string_view duration);

// Gives the tracks of one tracklist their disc and number, in tracklist order.
class TrackNumbering {
public:
    struct Place {
        uint32_t disc, number;
    };
    // A track: its position decides the disc; its number is the one stated when that does
    // not go back, else the next free one, so tracks keep their order on the disc.
    Place next(std::string_view position);
    // A sub-track: under a parent that is a track it shares the parent's place; under a
    // heading it numbers like a track, but on the current disc.
    Place sub(std::string_view position, const Place* parent);

private:
    uint32_t& last(uint32_t disc);
    uint32_t m_disc = 1;
    std::vector<std::pair<uint32_t, uint32_t>> m_last; // disc, last number given on it
};

// "1999-07-13" stays; "1999-03-00" → "1999-03"; "1999-00-00" → "1999"; "" and "0000"
// → ""; other text is kept as it stands (cleaned).
std::string releaseDate(std::string_view released);
// The year a release date begins with, or 0.
int yearOf(std::string_view released);

// The medium of a release from its <formats>: "2×Vinyl, LP", "CD", "Vinyl, 7\", Single +
// CD"; descriptions that say what the thing is (LP, EP, single, size) are kept, those about
// the edition (album, reissue, stereo...) are not.
std::string medium(const XmlRecord& record, const XmlNode* formats);

bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace kv::titleimport::discogs
