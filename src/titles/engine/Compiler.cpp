#include "titles/engine/Compiler.h"

#include "titles/engine/Csv.h"
#include "titles/engine/Fold.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/Wheels.h"

#include <QDir>
#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace kv::title {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool parseNumber(std::string_view s, uint64_t max, uint64_t& out) {
    if (s.empty() || s.size() > 19) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && out <= max;
}

bool hasControl(std::string_view s) {
    for (char c : s)
        if (uint8_t(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Separators of the identification and hotspot strings cannot stand inside a field; the
// look-alikes keep the text readable and the string decodable.
std::string field(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '|')
            out += "\xC2\xA6"; // BROKEN BAR
        else if (c == '^')
            out += "\xCB\x86"; // MODIFIER LETTER CIRCUMFLEX ACCENT
        else
            out += c;
    }
    return out;
}

std::string eightDigits(uint64_t id) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08llu", (unsigned long long)(id <= 99999999 ? id : 0));
    return buf;
}

std::string duration(int64_t seconds) {
    if (seconds < 0) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", (long long)(seconds / 60),
                  (long long)(seconds % 60));
    return buf;
}

// Reads the rows of one source file, checking the fields every row shares.
class Source {
public:
    Source(const QString& path, std::vector<std::string> columns, QString* error)
        : m_columns(std::move(columns)), m_error(error) {
        m_ok = m_csv.open(path, m_columns);
        if (!m_ok) *m_error = m_csv.error();
    }
    bool ok() const { return m_ok; }
    bool next() {
        if (!m_ok) return false;
        if (m_csv.next()) {
            ++m_rows;
            for (size_t i = 0; i < m_columns.size(); ++i)
                if (hasControl(m_csv.field(i)))
                    return fail(QStringLiteral("%1 contains a control character")
                                    .arg(QString::fromStdString(m_columns[i])));
            return true;
        }
        if (!m_csv.error().isEmpty()) {
            *m_error = m_csv.error();
            m_ok = false;
        }
        return false;
    }
    std::string_view operator[](size_t i) const { return m_csv.field(i); }
    bool fail(const QString& reason) {
        *m_error = m_csv.where(reason);
        m_ok = false;
        return false;
    }
    bool required(size_t i) {
        if (!m_csv.field(i).empty()) return true;
        return fail(QStringLiteral("%1 is empty").arg(QString::fromStdString(m_columns[i])));
    }
    bool number(size_t i, uint64_t max, uint64_t& out) {
        if (parseNumber(m_csv.field(i), max, out)) return true;
        return fail(QStringLiteral("%1 \"%2\" is not a number from 0 to %3")
                        .arg(QString::fromStdString(m_columns[i]), qs(m_csv.field(i)))
                        .arg(max));
    }
    bool flag(size_t i, bool& out) {
        const std::string_view v = m_csv.field(i);
        if (v == "0" || v == "1") {
            out = v == "1";
            return true;
        }
        return fail(QStringLiteral("%1 must be 0 or 1, not \"%2\"")
                        .arg(QString::fromStdString(m_columns[i]), qs(v)));
    }
    qint64 rows() const { return m_rows; }

private:
    CsvReader m_csv;
    std::vector<std::string> m_columns;
    QString* m_error;
    bool m_ok = false;
    qint64 m_rows = 0;
};

struct Artist {
    uint64_t id;
    std::string_view name, sortName;
    bool compilation;
    std::vector<uint32_t> own, appearsOn;
};
struct Recording {
    uint64_t albumId;
    std::string_view title, year, genre;
    uint32_t artist;
};
struct Release {
    uint32_t recording;
    std::string_view catalogue, label, released, deleted, medium;
};
struct Track {
    uint32_t recording;
    uint32_t disc, number;
    std::string_view title;
    int64_t duration; // -1 when not given
    int64_t artist;   // -1: the recording's artist
    uint32_t keyword;
};

QString wheelReport(const TitleWriter::Stats& s, const QString& out) {
    return QStringLiteral("Wrote %1: %2 bytes, %3 keywords, %4 word starts, %5 topic entries\n")
        .arg(out)
        .arg(s.fileBytes)
        .arg(s.keywords)
        .arg(s.wordStarts)
        .arg(s.postings);
}

} // namespace

bool compileCatalogue(const QString& sourceDir, const QString& outPath, QString* error,
                      QString* report) {
    QString why;
    if (!error) error = &why;
    const QDir dir(sourceDir);
    Arena text;
    std::vector<Artist> artists;
    std::unordered_map<uint64_t, uint32_t> artistIndex;
    std::vector<Recording> recordings;
    std::unordered_map<uint64_t, uint32_t> recordingIndex;
    std::vector<Release> releases;
    std::vector<Track> tracks;

    TitleWriter w;
    const int wArtists = w.addWheel(wheel::Artists, "Artists");
    const int wAlbums = w.addWheel(wheel::Albums, "Albums");
    const int wTracks = w.addWheel(wheel::Tracks, "Tracks");
    w.addAlias(wheel::ArtistSearch, "Artist Search", wArtists);
    w.addAlias(wheel::TrackSearch, "Track Search", wTracks);
    const int wOwn = w.addWheel(wheel::OwnArtists, "Artists (no compilations)");

    {
        Source s(dir.filePath("artists.csv"), {"artist_id", "name", "sort_name", "compilation"},
                 error);
        while (s.next()) {
            Artist a{};
            if (!s.number(0, 999999999999999999ull, a.id) || !s.required(1) ||
                !s.flag(3, a.compilation))
                return false;
            if (!artistIndex.emplace(a.id, uint32_t(artists.size())).second)
                return s.fail(QStringLiteral("artist_id %1 appears twice").arg(a.id));
            a.name = text.add(s[1]);
            a.sortName = text.add(s[2]);
            artists.push_back(std::move(a));
        }
        if (!s.ok()) return false;
    }
    {
        Source s(dir.filePath("recordings.csv"),
                 {"album_id", "title", "artist_id", "year", "genre"}, error);
        while (s.next()) {
            Recording r{};
            uint64_t artistId = 0, year = 0;
            if (!s.number(0, 99999999, r.albumId) || !s.required(1) ||
                !s.number(2, 999999999999999999ull, artistId))
                return false;
            if (r.albumId == 0)
                return s.fail(QStringLiteral("album_id must be from 1 to 99999999"));
            if (!s[3].empty() && !s.number(3, 9999, year)) return false;
            const auto a = artistIndex.find(artistId);
            if (a == artistIndex.end())
                return s.fail(QStringLiteral("artist_id %1 is not in artists.csv").arg(artistId));
            if (!recordingIndex.emplace(r.albumId, uint32_t(recordings.size())).second)
                return s.fail(QStringLiteral("album_id %1 appears twice").arg(r.albumId));
            r.artist = a->second;
            r.title = text.add(s[1]);
            r.year = text.add(s[3]);
            r.genre = text.add(s[4]);
            recordings.push_back(r);
            w.keyword(wAlbums, r.title);
        }
        if (!s.ok()) return false;
    }
    {
        Source s(
            dir.filePath("releases.csv"),
            {"album_id", "catalogue_number", "label", "release_date", "deleted_date", "medium"},
            error);
        while (s.next()) {
            uint64_t albumId;
            if (!s.number(0, 99999999, albumId) || !s.required(1)) return false;
            const auto r = recordingIndex.find(albumId);
            if (r == recordingIndex.end())
                return s.fail(QStringLiteral("album_id %1 is not in recordings.csv").arg(albumId));
            releases.push_back({r->second, text.add(s[1]), text.add(s[2]), text.add(s[3]),
                                text.add(s[4]), text.add(s[5])});
        }
        if (!s.ok()) return false;
    }
    {
        Source s(dir.filePath("tracks.csv"),
                 {"album_id", "disc", "number", "title", "duration", "artist_id"}, error);
        while (s.next()) {
            uint64_t albumId, disc, number, dur = 0, artistId = 0;
            if (!s.number(0, 99999999, albumId) || !s.number(1, 9999, disc) ||
                !s.number(2, 99999, number) || !s.required(3))
                return false;
            if (!s[4].empty() && !s.number(4, 99999999, dur)) return false;
            if (!s[5].empty() && !s.number(5, 999999999999999999ull, artistId)) return false;
            const auto r = recordingIndex.find(albumId);
            if (r == recordingIndex.end())
                return s.fail(QStringLiteral("album_id %1 is not in recordings.csv").arg(albumId));
            Track t{r->second,
                    uint32_t(disc),
                    uint32_t(number),
                    {},
                    s[4].empty() ? -1 : int64_t(dur),
                    -1,
                    0};
            if (!s[5].empty()) {
                const auto a = artistIndex.find(artistId);
                if (a == artistIndex.end())
                    return s.fail(
                        QStringLiteral("artist_id %1 is not in artists.csv").arg(artistId));
                t.artist = a->second;
            }
            t.title = text.add(s[3]);
            t.keyword = w.keyword(wTracks, t.title);
            tracks.push_back(t);
        }
        if (!s.ok()) return false;
    }

    const uint32_t R = uint32_t(recordings.size());
    auto recordingTopic = [](uint32_t r) { return 1 + r; };
    auto artistTopic = [R](uint32_t a) { return 1 + R + a; };
    auto artistContext = [&](uint32_t a) { return "A_" + std::to_string(artists[a].id); };
    auto recordingContext = [&](uint32_t r) {
        return "R_" + std::to_string(recordings[r].albumId);
    };

    std::vector<uint32_t> artistKeyword(artists.size()), ownKeyword(artists.size());
    for (uint32_t a = 0; a < artists.size(); ++a) {
        const std::string_view key =
            artists[a].sortName.empty() ? artists[a].name : artists[a].sortName;
        artistKeyword[a] = w.keyword(wArtists, key);
        if (!artists[a].compilation) ownKeyword[a] = w.keyword(wOwn, key);
    }

    std::stable_sort(releases.begin(), releases.end(),
                     [](const Release& a, const Release& b) { return a.recording < b.recording; });
    std::stable_sort(tracks.begin(), tracks.end(), [](const Track& a, const Track& b) {
        if (a.recording != b.recording) return a.recording < b.recording;
        return a.disc != b.disc ? a.disc < b.disc : a.number < b.number;
    });

    // Filing.
    for (uint32_t r = 0; r < R; ++r) {
        const uint32_t a = recordings[r].artist;
        artists[a].own.push_back(r);
        w.file(wArtists, artistKeyword[a], recordingTopic(r));
        if (!artists[a].compilation) w.file(wOwn, ownKeyword[a], recordingTopic(r));
        w.file(wAlbums, w.keyword(wAlbums, recordings[r].title), recordingTopic(r));
    }
    for (const Track& t : tracks) {
        w.file(wTracks, t.keyword, recordingTopic(t.recording));
        const uint32_t owner = recordings[t.recording].artist;
        if (t.artist >= 0 && uint32_t(t.artist) != owner && artists[owner].compilation) {
            Artist& guest = artists[size_t(t.artist)];
            if (guest.appearsOn.empty() || guest.appearsOn.back() != t.recording)
                guest.appearsOn.push_back(t.recording);
            w.file(wArtists, artistKeyword[size_t(t.artist)], recordingTopic(t.recording));
        }
    }

    // Topics: the contents page, the recordings, the artists.
    PageWriter page;
    page.block(BlockStyle::Heading).text("Korvanda Music Catalogue");
    page.block(BlockStyle::Paragraph)
        .text(std::to_string(artists.size()) + " artists, " + std::to_string(R) + " recordings, " +
              std::to_string(tracks.size()) + " tracks.");
    page.block(BlockStyle::Paragraph)
        .text("Type the name of an artist, an album or a track to search the catalogue.");
    w.setContents(w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", page.take()));

    size_t ri = 0, ti = 0;
    for (uint32_t r = 0; r < R; ++r) {
        const Recording& rec = recordings[r];
        const Artist& artist = artists[rec.artist];
        const size_t releaseBegin = ri, trackBegin = ti;
        while (ri < releases.size() && releases[ri].recording == r)
            ++ri;
        while (ti < tracks.size() && tracks[ti].recording == r)
            ++ti;

        std::string id = eightDigits(rec.albumId) + "R|" + field(rec.title) + "|" +
                         field(artist.name) + "|" + std::to_string(ri - releaseBegin);
        for (size_t i = releaseBegin; i < ri; ++i) {
            const Release& x = releases[i];
            id += "|" + field(x.catalogue) + "^" + field(x.label) + "^" + field(x.released) + "^" +
                  field(x.deleted) + "^" + field(x.medium);
        }

        page.block(BlockStyle::Heading).text(rec.title);
        page.block(BlockStyle::Paragraph)
            .text("Artist: ")
            .link(2, artistContext(rec.artist), artist.name);
        if (!rec.year.empty()) page.block(BlockStyle::Paragraph).text("Year: ").text(rec.year);
        if (!rec.genre.empty()) page.block(BlockStyle::Paragraph).text("Genre: ").text(rec.genre);
        if (ri > releaseBegin) {
            page.block(BlockStyle::Section).text("Releases");
            page.block(BlockStyle::HeaderRow)
                .text("Catalogue No.")
                .cell()
                .text("Label")
                .cell()
                .text("Format")
                .cell()
                .text("Released")
                .cell()
                .text("Deleted");
            for (size_t i = releaseBegin; i < ri; ++i) {
                const Release& x = releases[i];
                page.block(BlockStyle::Row)
                    .text(x.catalogue)
                    .cell()
                    .text(x.label)
                    .cell()
                    .text(x.medium)
                    .cell()
                    .text(x.released)
                    .cell()
                    .text(x.deleted);
            }
        }
        if (ti > trackBegin) {
            page.block(BlockStyle::Section).text("Tracks");
            const bool discs = tracks[trackBegin].disc != tracks[ti - 1].disc;
            uint32_t disc = UINT32_MAX;
            for (size_t i = trackBegin; i < ti; ++i) {
                const Track& t = tracks[i];
                if (discs && t.disc != disc) {
                    disc = t.disc;
                    page.block(BlockStyle::Paragraph).text("Disc " + std::to_string(disc));
                }
                page.block(BlockStyle::Row)
                    .text(std::to_string(t.number) + ".")
                    .cell()
                    .text(t.title);
                if (t.artist >= 0 && uint32_t(t.artist) != rec.artist)
                    page.text(" - ").link(2, artistContext(uint32_t(t.artist)),
                                          artists[size_t(t.artist)].name);
                page.cell().text(duration(t.duration));
            }
        }
        std::string title = std::string(rec.title) + " - " + std::string(artist.name);
        w.addTopic('R', recordingContext(r), title, id, page.take());
    }
    for (uint32_t a = 0; a < artists.size(); ++a) {
        const Artist& artist = artists[a];
        page.block(BlockStyle::Heading).text(artist.name);
        page.block(BlockStyle::Section).text("Recordings");
        for (uint32_t r : artist.own) {
            page.block(BlockStyle::Paragraph).link(1, recordingContext(r), recordings[r].title);
            if (!recordings[r].year.empty())
                page.text(" (" + std::string(recordings[r].year) + ")");
        }
        if (!artist.appearsOn.empty()) {
            page.block(BlockStyle::Section).text("Also appears on");
            for (uint32_t r : artist.appearsOn) {
                page.block(BlockStyle::Paragraph).link(1, recordingContext(r), recordings[r].title);
                page.text(" - " + std::string(artists[recordings[r].artist].name));
            }
        }
        const uint32_t t =
            w.addTopic('A', artistContext(a), artist.name,
                       eightDigits(artist.id) + "A|" + field(artist.name), page.take());
        Q_ASSERT(t == artistTopic(a));
        Q_UNUSED(t);
    }
    w.addBaggage(kMarkerFile, "Korvanda music catalogue\n");

    TitleWriter::Stats stats;
    if (!w.write(outPath, error, &stats)) return false;
    if (report)
        *report = QStringLiteral("Read %1 artists, %2 recordings, %3 releases, %4 tracks from %5\n")
                      .arg(artists.size())
                      .arg(R)
                      .arg(releases.size())
                      .arg(tracks.size())
                      .arg(sourceDir) +
                  wheelReport(stats, outPath);
    return true;
}

bool compileShops(const QString& shopsCsv, const QString& outPath, QString* error,
                  QString* report) {
    QString why;
    if (!error) error = &why;
    struct Shop {
        uint64_t number;
        std::string_view town, name, address, phone, fax, email, description;
        bool featured, direct;
    };
    Arena text;
    std::vector<Shop> shops;
    std::vector<std::string_view> towns; // first appearance order
    std::unordered_map<std::string_view, uint32_t> townIndex;
    std::unordered_map<uint64_t, bool> numbers;
    {
        Source s(shopsCsv,
                 {"number", "town", "name", "address", "phone", "fax", "email", "featured",
                  "orders_direct", "description"},
                 error);
        while (s.next()) {
            Shop shop{};
            if (!s.number(0, 32767, shop.number) || !s.required(1) || !s.required(2) ||
                !s.flag(7, shop.featured) || !s.flag(8, shop.direct))
                return false;
            if (!numbers.emplace(shop.number, true).second)
                return s.fail(QStringLiteral("shop number %1 appears twice").arg(shop.number));
            shop.town = text.add(s[1]);
            shop.name = text.add(s[2]);
            shop.address = text.add(s[3]);
            shop.phone = text.add(s[4]);
            shop.fax = text.add(s[5]);
            shop.email = text.add(s[6]);
            shop.description = text.add(s[9]);
            if (townIndex.emplace(shop.town, uint32_t(towns.size())).second)
                towns.push_back(shop.town);
            shops.push_back(shop);
        }
        if (!s.ok()) return false;
    }

    TitleWriter w;
    const int wTowns = w.addWheel(wheel::Towns, "Towns");
    auto townContext = [](std::string_view town) { return "T_" + std::string(town); };
    auto reference = [](const Shop& s) { return "S_" + std::to_string(s.number); };
    auto hotspot = [&](char kind, const Shop& s) {
        std::string d(1, kind);
        d += s.featured ? 'F' : '-';
        d += s.direct ? 'O' : '-';
        d += std::to_string(s.number);
        const std::string ref = reference(s);
        for (std::string_view f :
             {std::string_view(ref), s.name, s.address, s.phone, s.fax, s.email})
            d += "|" + field(f);
        return d;
    };

    PageWriter page;
    std::vector<std::string_view> sorted = towns;
    std::stable_sort(sorted.begin(), sorted.end(), [](std::string_view a, std::string_view b) {
        return foldUtf8(a) < foldUtf8(b);
    });
    page.block(BlockStyle::Heading).text("Shop Directory");
    page.block(BlockStyle::Paragraph).text("Choose a town to see its record shops.");
    for (std::string_view town : sorted)
        page.block(BlockStyle::Paragraph).link(1, townContext(town), town);
    w.setContents(
        w.addTopic('M', "M_CONTENTS", "Shop Directory", "00000000M|Shop Directory", page.take()));

    auto contactLines = [&](const Shop& s) {
        page.block(BlockStyle::Paragraph).text(s.address);
        if (!s.phone.empty()) page.block(BlockStyle::Paragraph).text("Tel: ").text(s.phone);
        if (!s.fax.empty()) page.block(BlockStyle::Paragraph).text("Fax: ").text(s.fax);
        if (!s.email.empty()) page.block(BlockStyle::Paragraph).text("E-mail: ").text(s.email);
    };
    for (std::string_view town : towns) {
        page.block(BlockStyle::Heading).text(town);
        for (const Shop& s : shops) {
            if (s.town != town) continue;
            page.block(BlockStyle::Section).hotspot(hotspot('S', s), s.name);
            contactLines(s);
            if (s.featured)
                page.block(BlockStyle::Paragraph).hotspot(hotspot('F', s), "Featured shop");
            if (s.direct)
                page.block(BlockStyle::Paragraph).hotspot(hotspot('O', s), "Takes orders directly");
        }
        const uint32_t t =
            w.addTopic('M', townContext(town), town, "00000000M|" + field(town), page.take());
        w.file(wTowns, w.keyword(wTowns, town), t);
    }
    for (const Shop& s : shops) {
        if (!s.featured && !s.direct) continue;
        page.block(BlockStyle::Heading).text(s.name);
        contactLines(s);
        if (!s.description.empty()) page.block(BlockStyle::Paragraph).text(s.description);
        page.block(BlockStyle::Paragraph)
            .hotspot(hotspot('S', s), "Order from " + std::string(s.name));
        w.addTopic('M', reference(s), s.name, "00000000M|" + field(s.name), page.take());
    }
    w.addBaggage(kMarkerFile, "Korvanda shop directory\n");

    TitleWriter::Stats stats;
    if (!w.write(outPath, error, &stats)) return false;
    if (report)
        *report = QStringLiteral("Read %1 shops in %2 towns from %3\n")
                      .arg(shops.size())
                      .arg(towns.size())
                      .arg(shopsCsv) +
                  wheelReport(stats, outPath);
    return true;
}

} // namespace kv::title
