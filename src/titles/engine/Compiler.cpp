#include "titles/engine/Compiler.h"

#include "formats/CsvRows.h"
#include "formats/ShopList.h"
#include "titles/engine/Fold.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleFormat.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/Wheels.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <unordered_map>

namespace kv::title {

namespace {

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

// Keywords come from these fields: a field that cannot be one is refused with its file and
// line as soon as it passes the limit, before it takes any memory.
void limitKeyword(formats::CsvRows& s, size_t column) {
    s.limit(column, size_t(kMaxKeywordBytes));
}
// Only long non-ASCII fields need folding to know that they fit.
bool keywordFits(formats::CsvRows& s, size_t column) {
    const std::string_view v = s[column];
    if (v.size() * kMaxFoldGrowth <= size_t(kMaxKeywordBytes) || isAscii(v) ||
        foldUtf8(v).size() <= size_t(kMaxKeywordBytes))
        return true;
    return s.fail(QStringLiteral("%1 is longer than %2 bytes once folded")
                      .arg(s.column(column))
                      .arg(kMaxKeywordBytes));
}

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
// A track as the recording's page needs it. Tracks are the bulk of a catalogue: they wait
// in a RecordSorter keyed by recording, disc and number, and one recording's tracks are
// held at a time.
struct Track {
    uint32_t disc, number;
    int64_t duration; // -1 when not given
    int64_t artist;   // -1: the recording's artist
    std::string title;
};
std::string trackPayload(int64_t duration, int64_t artist, std::string_view title) {
    std::string p;
    putVarint(p, uint32_t(duration + 1));
    putVarint(p, uint32_t(artist + 1));
    p.append(title);
    return p;
}
bool readTrackPayload(std::string_view p, Track& t) {
    Cursor c(reinterpret_cast<const uint8_t*>(p.data()),
             reinterpret_cast<const uint8_t*>(p.data() + p.size()));
    t.duration = int64_t(c.varint()) - 1;
    t.artist = int64_t(c.varint()) - 1;
    t.title.assign(c.rest());
    return c.ok();
}

QString wheelReport(const TitleWriter::Stats& s, const QString& out) {
    return QStringLiteral("Wrote %1: %2 bytes, %3 keywords, %4 word starts, %5 topic entries\n")
        .arg(out)
        .arg(s.fileBytes)
        .arg(s.keywords)
        .arg(s.wordStarts)
        .arg(s.postings);
}

constexpr uint64_t kMaxArtistId = 999999999999999999ull;
constexpr uint64_t kMaxAlbumId = 99999999;

// The catalogue title from the four source files: read, file the keywords, write the pages.
class CatalogueCompiler {
public:
    CatalogueCompiler(const QString& sourceDir, const QString& scratchDir,
                      const CompileOptions& options, QString* error)
        : m_dir(sourceDir), m_error(error), m_options(options),
          m_w(scratchDir, options.memoryBytes), m_trackSort(scratchDir, options.memoryBytes) {
        m_w.setStepHook([this](const QString& step) { return progress(step, 0, 0); });
        m_wArtists = m_w.addWheel(wheel::Artists, "Artists");
        m_wAlbums = m_w.addWheel(wheel::Albums, "Albums");
        m_wTracks = m_w.addWheel(wheel::Tracks, "Tracks");
        m_w.addAlias(wheel::ArtistSearch, "Artist Search", m_wArtists);
        m_w.addAlias(wheel::TrackSearch, "Track Search", m_wTracks);
        m_wOwn = m_w.addWheel(wheel::OwnArtists, "Artists (no compilations)");
        m_wCatalogue = m_w.addWheel(wheel::CatalogueNumbers, "Catalogue Numbers");
    }

    bool read() { return readArtists() && readRecordings() && readReleases() && readTracks(); }
    bool build() {
        fileKeywords();
        addContents();
        if (!addRecordings() || !addArtists()) return false;
        m_w.addBaggage(kMarkerFile, "Korvanda music catalogue\n");
        return true;
    }
    bool write(const QString& outPath, QString* report) {
        TitleWriter::Stats stats;
        if (!m_w.write(outPath, m_error, &stats)) return false;
        if (report)
            *report =
                QStringLiteral("Read %1 artists, %2 recordings, %3 releases, %4 tracks from %5\n")
                    .arg(m_artists.size())
                    .arg(m_recordings.size())
                    .arg(m_releases.size())
                    .arg(m_trackSort.count())
                    .arg(m_dir.path()) +
                wheelReport(stats, outPath);
        return true;
    }

private:
    bool readArtists();
    bool readRecordings();
    bool readReleases();
    bool readTracks();
    void fileKeywords();
    void addContents();
    bool addRecordings();
    bool nextTrack();
    void fileGuests(uint32_t r);
    bool addArtists();
    // Tells the caller how far the compile is; false (with the error set) when it is to stop.
    bool progress(const QString& step, uint64_t done, uint64_t total);
    // The same every kProgressEvery rows or pages.
    bool tick(const QString& step, uint64_t done, uint64_t total) {
        return done % kProgressEvery != 0 || progress(step, done, total);
    }
    static constexpr uint64_t kProgressEvery = 65536;
    void releaseTable(size_t begin, size_t end);
    void trackList(const Recording& rec);

    uint32_t recordingTopic(uint32_t r) const { return 1 + r; }
    uint32_t artistTopic(uint32_t a) const { return 1 + uint32_t(m_recordings.size()) + a; }
    std::string artistContext(uint32_t a) const { return "A_" + std::to_string(m_artists[a].id); }
    std::string recordingContext(uint32_t r) const {
        return "R_" + std::to_string(m_recordings[r].albumId);
    }

    QDir m_dir;
    QString* m_error;
    const CompileOptions& m_options;
    Arena m_text;
    TitleWriter m_w;
    PageWriter m_page;
    int m_wArtists, m_wAlbums, m_wTracks, m_wOwn, m_wCatalogue;
    std::vector<Artist> m_artists;
    std::unordered_map<uint64_t, uint32_t> m_artistIndex;
    std::vector<Recording> m_recordings;
    std::unordered_map<uint64_t, uint32_t> m_recordingIndex;
    std::vector<Release> m_releases;
    RecordSorter m_trackSort;
    std::vector<Track> m_recordingTracks; // the tracks of the recording being paged
    bool m_haveNext = false;               // the sorter's next track, read ahead
    uint32_t m_nextRecording = 0;
    Track m_next;
    std::vector<uint32_t> m_artistKeyword, m_ownKeyword;
};

bool CatalogueCompiler::readArtists() {
    enum { Id, Name, SortName, Compilation };
    formats::CsvRows s(m_dir.filePath("artists.csv"),
                       {"artist_id", "name", "sort_name", "compilation"}, m_error);
    limitKeyword(s, Name);
    limitKeyword(s, SortName);
    const QString step = QStringLiteral("Reading artists.csv");
    uint64_t row = 0;
    while (s.next()) {
        if (!tick(step, row++, 0)) return false;
        Artist a{};
        if (!s.number(Id, kMaxArtistId, a.id) || !s.required(Name) ||
            !s.flag(Compilation, a.compilation) || !keywordFits(s, Name) ||
            !keywordFits(s, SortName))
            return false;
        if (!m_artistIndex.emplace(a.id, uint32_t(m_artists.size())).second)
            return s.fail(QStringLiteral("artist_id %1 appears twice").arg(a.id));
        a.name = m_text.add(s[Name]);
        a.sortName = m_text.add(s[SortName]);
        m_artists.push_back(std::move(a));
    }
    return s.ok();
}

bool CatalogueCompiler::readRecordings() {
    enum { AlbumId, Title, ArtistId, Year, Genre };
    formats::CsvRows s(m_dir.filePath("recordings.csv"),
                       {"album_id", "title", "artist_id", "year", "genre"}, m_error);
    limitKeyword(s, Title);
    const QString step = QStringLiteral("Reading recordings.csv");
    uint64_t row = 0;
    while (s.next()) {
        if (!tick(step, row++, 0)) return false;
        Recording r{};
        uint64_t artistId = 0, year = 0;
        if (!s.number(AlbumId, kMaxAlbumId, r.albumId) || !s.required(Title) ||
            !s.number(ArtistId, kMaxArtistId, artistId) || !keywordFits(s, Title))
            return false;
        if (r.albumId == 0) return s.fail(QStringLiteral("album_id must be from 1 to 99999999"));
        if (!s[Year].empty() && !s.number(Year, 9999, year)) return false;
        const auto a = m_artistIndex.find(artistId);
        if (a == m_artistIndex.end())
            return s.fail(QStringLiteral("artist_id %1 is not in artists.csv").arg(artistId));
        if (!m_recordingIndex.emplace(r.albumId, uint32_t(m_recordings.size())).second)
            return s.fail(QStringLiteral("album_id %1 appears twice").arg(r.albumId));
        r.artist = a->second;
        r.title = m_text.add(s[Title]);
        r.year = m_text.add(s[Year]);
        r.genre = m_text.add(s[Genre]);
        m_recordings.push_back(r);
        m_w.keyword(m_wAlbums, r.title);
    }
    return s.ok();
}

bool CatalogueCompiler::readReleases() {
    enum { AlbumId, Catalogue, Label, Released, Deleted, Medium };
    formats::CsvRows s(
        m_dir.filePath("releases.csv"),
        {"album_id", "catalogue_number", "label", "release_date", "deleted_date", "medium"},
        m_error);
    const QString step = QStringLiteral("Reading releases.csv");
    uint64_t row = 0;
    while (s.next()) {
        if (!tick(step, row++, 0)) return false;
        uint64_t albumId;
        if (!s.number(AlbumId, kMaxAlbumId, albumId) || !s.required(Catalogue)) return false;
        const auto r = m_recordingIndex.find(albumId);
        if (r == m_recordingIndex.end())
            return s.fail(QStringLiteral("album_id %1 is not in recordings.csv").arg(albumId));
        m_releases.push_back({r->second, m_text.add(s[Catalogue]), m_text.add(s[Label]),
                              m_text.add(s[Released]), m_text.add(s[Deleted]),
                              m_text.add(s[Medium])});
    }
    return s.ok();
}

bool CatalogueCompiler::readTracks() {
    enum { AlbumId, Disc, Number, Title, Duration, ArtistId };
    formats::CsvRows s(m_dir.filePath("tracks.csv"),
                       {"album_id", "disc", "number", "title", "duration", "artist_id"}, m_error);
    limitKeyword(s, Title);
    const QString step = QStringLiteral("Reading tracks.csv");
    uint64_t row = 0;
    while (s.next()) {
        if (!tick(step, row++, 0)) return false;
        uint64_t albumId, disc, number, dur = 0, artistId = 0;
        if (!s.number(AlbumId, kMaxAlbumId, albumId) || !s.number(Disc, 9999, disc) ||
            !s.number(Number, 99999, number) || !s.required(Title) || !keywordFits(s, Title))
            return false;
        if (!s[Duration].empty() && !s.number(Duration, 99999999, dur)) return false;
        if (!s[ArtistId].empty() && !s.number(ArtistId, kMaxArtistId, artistId)) return false;
        const auto r = m_recordingIndex.find(albumId);
        if (r == m_recordingIndex.end())
            return s.fail(QStringLiteral("album_id %1 is not in recordings.csv").arg(albumId));
        int64_t artist = -1;
        if (!s[ArtistId].empty()) {
            const auto a = m_artistIndex.find(artistId);
            if (a == m_artistIndex.end())
                return s.fail(QStringLiteral("artist_id %1 is not in artists.csv").arg(artistId));
            artist = a->second;
        }
        const uint32_t recording = r->second;
        m_w.file(m_wTracks, m_w.keyword(m_wTracks, s[Title]), recordingTopic(recording));
        const std::string payload =
            trackPayload(s[Duration].empty() ? -1 : int64_t(dur), artist, s[Title]);
        if (!m_trackSort.add({uint64_t(recording) << 32 | disc, number}, payload)) {
            *m_error = m_trackSort.error();
            return false;
        }
    }
    if (!s.ok()) return false;
    if (!m_trackSort.finish()) {
        *m_error = m_trackSort.error();
        return false;
    }
    return nextTrack();
}

// Reads the sorter's next track into m_next; false only on an error.
bool CatalogueCompiler::nextTrack() {
    RecordSorter::Key key;
    std::string_view payload;
    m_haveNext = m_trackSort.next(key, payload);
    if (!m_trackSort.ok()) {
        *m_error = m_trackSort.error();
        return false;
    }
    if (!m_haveNext) return true;
    m_nextRecording = uint32_t(key.a >> 32);
    m_next.disc = uint32_t(key.a);
    m_next.number = uint32_t(key.b);
    if (!readTrackPayload(payload, m_next)) {
        *m_error = QStringLiteral("a scratch file of the compile is damaged");
        return false;
    }
    return true;
}

void CatalogueCompiler::fileKeywords() {
    m_artistKeyword.resize(m_artists.size());
    m_ownKeyword.resize(m_artists.size());
    for (uint32_t a = 0; a < m_artists.size(); ++a) {
        const std::string_view key =
            m_artists[a].sortName.empty() ? m_artists[a].name : m_artists[a].sortName;
        m_artistKeyword[a] = m_w.keyword(m_wArtists, key);
        if (!m_artists[a].compilation) m_ownKeyword[a] = m_w.keyword(m_wOwn, key);
    }

    std::stable_sort(m_releases.begin(), m_releases.end(),
                     [](const Release& a, const Release& b) { return a.recording < b.recording; });

    for (uint32_t r = 0; r < m_recordings.size(); ++r) {
        const uint32_t a = m_recordings[r].artist;
        m_artists[a].own.push_back(r);
        m_w.file(m_wArtists, m_artistKeyword[a], recordingTopic(r));
        if (!m_artists[a].compilation) m_w.file(m_wOwn, m_ownKeyword[a], recordingTopic(r));
        m_w.file(m_wAlbums, m_w.keyword(m_wAlbums, m_recordings[r].title), recordingTopic(r));
    }
    for (const Release& x : m_releases)
        for (const std::string& number : catalogueNumberKeywords(x.catalogue))
            m_w.file(m_wCatalogue, m_w.keyword(m_wCatalogue, number), recordingTopic(x.recording));
}

// A guest on a compilation is found under its own name too.
void CatalogueCompiler::fileGuests(uint32_t r) {
    const uint32_t owner = m_recordings[r].artist;
    if (!m_artists[owner].compilation) return;
    for (const Track& t : m_recordingTracks) {
        if (t.artist < 0 || uint32_t(t.artist) == owner) continue;
        Artist& guest = m_artists[size_t(t.artist)];
        if (guest.appearsOn.empty() || guest.appearsOn.back() != r) guest.appearsOn.push_back(r);
        m_w.file(m_wArtists, m_artistKeyword[size_t(t.artist)], recordingTopic(r));
    }
}

void CatalogueCompiler::addContents() {
    m_page.block(BlockStyle::Heading).text("Korvanda Music Catalogue");
    m_page.block(BlockStyle::Paragraph)
        .text(std::to_string(m_artists.size()) + " artists, " +
              std::to_string(m_recordings.size()) + " recordings, " +
              std::to_string(m_trackSort.count()) + " tracks.");
    m_page.block(BlockStyle::Paragraph)
        .text("Type the name of an artist, an album or a track to search the catalogue.");
    m_w.setContents(
        m_w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", m_page.take()));
}

void CatalogueCompiler::releaseTable(size_t begin, size_t end) {
    m_page.block(BlockStyle::Section).text("Releases");
    m_page.block(BlockStyle::HeaderRow)
        .text("Catalogue No.")
        .cell()
        .text("Label")
        .cell()
        .text("Format")
        .cell()
        .text("Released")
        .cell()
        .text("Deleted");
    for (size_t i = begin; i < end; ++i) {
        const Release& x = m_releases[i];
        m_page.block(BlockStyle::Row)
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

void CatalogueCompiler::trackList(const Recording& rec) {
    m_page.block(BlockStyle::Section).text("Tracks");
    const bool discs = m_recordingTracks.front().disc != m_recordingTracks.back().disc;
    uint32_t disc = UINT32_MAX;
    for (const Track& t : m_recordingTracks) {
        if (discs && t.disc != disc) {
            disc = t.disc;
            m_page.block(BlockStyle::Paragraph).text("Disc " + std::to_string(disc));
        }
        m_page.block(BlockStyle::Row).text(std::to_string(t.number) + ".").cell().text(t.title);
        if (t.artist >= 0 && uint32_t(t.artist) != rec.artist)
            m_page.text(" - ").link(2, artistContext(uint32_t(t.artist)),
                                    m_artists[size_t(t.artist)].name);
        m_page.cell().text(duration(t.duration));
    }
}

bool CatalogueCompiler::addRecordings() {
    const QString step = QStringLiteral("Writing recording pages");
    size_t ri = 0;
    for (uint32_t r = 0; r < m_recordings.size(); ++r) {
        if (!tick(step, r, m_recordings.size())) return false;
        const Recording& rec = m_recordings[r];
        const Artist& artist = m_artists[rec.artist];
        const size_t releaseBegin = ri;
        while (ri < m_releases.size() && m_releases[ri].recording == r)
            ++ri;
        m_recordingTracks.clear();
        for (; m_haveNext && m_nextRecording == r;) {
            m_recordingTracks.push_back(m_next);
            if (!nextTrack()) return false;
        }
        fileGuests(r);

        std::string id = eightDigits(rec.albumId) + "R|" + field(rec.title) + "|" +
                         field(artist.name) + "|" + std::to_string(ri - releaseBegin);
        for (size_t i = releaseBegin; i < ri; ++i) {
            const Release& x = m_releases[i];
            id += "|" + field(x.catalogue) + "^" + field(x.label) + "^" + field(x.released) + "^" +
                  field(x.deleted) + "^" + field(x.medium);
        }

        m_page.block(BlockStyle::Heading).text(rec.title);
        m_page.block(BlockStyle::Paragraph)
            .text("Artist: ")
            .link(2, artistContext(rec.artist), artist.name);
        if (!rec.year.empty()) m_page.block(BlockStyle::Paragraph).text("Year: ").text(rec.year);
        if (!rec.genre.empty()) m_page.block(BlockStyle::Paragraph).text("Genre: ").text(rec.genre);
        if (ri > releaseBegin) releaseTable(releaseBegin, ri);
        if (!m_recordingTracks.empty()) trackList(rec);
        const std::string title = std::string(rec.title) + " - " + std::string(artist.name);
        m_w.addTopic('R', recordingContext(r), title, id, m_page.take());
    }
    return true;
}

bool CatalogueCompiler::progress(const QString& step, uint64_t done, uint64_t total) {
    if (m_options.progress) m_options.progress({step, done, total});
    if (!m_options.cancel || !m_options.cancel->load()) return true;
    *m_error = QStringLiteral("interrupted");
    return false;
}

bool CatalogueCompiler::addArtists() {
    const QString step = QStringLiteral("Writing artist pages");
    for (uint32_t a = 0; a < m_artists.size(); ++a) {
        if (!tick(step, a, m_artists.size())) return false;
        const Artist& artist = m_artists[a];
        m_page.block(BlockStyle::Heading).text(artist.name);
        m_page.block(BlockStyle::Section).text("Recordings");
        for (uint32_t r : artist.own) {
            m_page.block(BlockStyle::Paragraph).link(1, recordingContext(r), m_recordings[r].title);
            if (!m_recordings[r].year.empty())
                m_page.text(" (" + std::string(m_recordings[r].year) + ")");
        }
        if (!artist.appearsOn.empty()) {
            m_page.block(BlockStyle::Section).text("Also appears on");
            for (uint32_t r : artist.appearsOn) {
                m_page.block(BlockStyle::Paragraph)
                    .link(1, recordingContext(r), m_recordings[r].title);
                m_page.text(" - " + std::string(m_artists[m_recordings[r].artist].name));
            }
        }
        const uint32_t t =
            m_w.addTopic('A', artistContext(a), artist.name,
                         eightDigits(artist.id) + "A|" + field(artist.name), m_page.take());
        Q_ASSERT(t == artistTopic(a));
        Q_UNUSED(t);
    }
    return true;
}

// The shop directory title: a page per town under the town's keyword, a page per featured
// or order-direct shop.
class ShopsCompiler {
public:
    explicit ShopsCompiler(std::vector<formats::ShopEntry> shops) : m_shops(std::move(shops)) {
        std::unordered_map<std::string_view, bool> seen;
        for (const formats::ShopEntry& s : m_shops)
            if (seen.emplace(s.town, true).second) m_towns.push_back(s.town);
        m_wTowns = m_w.addWheel(wheel::Towns, "Towns");
    }
    size_t townCount() const { return m_towns.size(); }

    void build() {
        addContents();
        addTowns();
        addShopPages();
        m_w.addBaggage(kMarkerFile, "Korvanda shop directory\n");
    }
    bool write(const QString& outPath, QString* error, TitleWriter::Stats& stats) {
        return m_w.write(outPath, error, &stats);
    }

private:
    static std::string townContext(std::string_view town) { return "T_" + std::string(town); }
    static std::string reference(const formats::ShopEntry& s) {
        return "S_" + std::to_string(s.number);
    }
    static std::string hotspot(char kind, const formats::ShopEntry& s) {
        std::string d(1, kind);
        d += s.featured ? 'F' : '-';
        d += s.ordersDirect ? 'O' : '-';
        d += std::to_string(s.number);
        const std::string ref = reference(s);
        for (std::string_view f :
             {std::string_view(ref), std::string_view(s.name), std::string_view(s.address),
              std::string_view(s.phone), std::string_view(s.fax), std::string_view(s.email)})
            d += "|" + field(f);
        return d;
    }
    void contactLines(const formats::ShopEntry& s) {
        m_page.block(BlockStyle::Paragraph).text(s.address);
        if (!s.phone.empty()) m_page.block(BlockStyle::Paragraph).text("Tel: ").text(s.phone);
        if (!s.fax.empty()) m_page.block(BlockStyle::Paragraph).text("Fax: ").text(s.fax);
        if (!s.email.empty()) m_page.block(BlockStyle::Paragraph).text("E-mail: ").text(s.email);
    }
    void addContents() {
        std::vector<std::string_view> sorted = m_towns;
        std::stable_sort(sorted.begin(), sorted.end(), [](std::string_view a, std::string_view b) {
            return foldUtf8(a) < foldUtf8(b);
        });
        m_page.block(BlockStyle::Heading).text("Shop Directory");
        m_page.block(BlockStyle::Paragraph).text("Choose a town to see its record shops.");
        for (std::string_view town : sorted)
            m_page.block(BlockStyle::Paragraph).link(1, townContext(town), town);
        m_w.setContents(m_w.addTopic('M', "M_CONTENTS", "Shop Directory",
                                     "00000000M|Shop Directory", m_page.take()));
    }
    void addTowns() {
        for (std::string_view town : m_towns) {
            m_page.block(BlockStyle::Heading).text(town);
            for (const formats::ShopEntry& s : m_shops) {
                if (s.town != town) continue;
                m_page.block(BlockStyle::Section).hotspot(hotspot('S', s), s.name);
                contactLines(s);
                if (s.featured)
                    m_page.block(BlockStyle::Paragraph).hotspot(hotspot('F', s), "Featured shop");
                if (s.ordersDirect)
                    m_page.block(BlockStyle::Paragraph)
                        .hotspot(hotspot('O', s), "Takes orders directly");
            }
            const uint32_t t = m_w.addTopic('M', townContext(town), town,
                                            "00000000M|" + field(town), m_page.take());
            m_w.file(m_wTowns, m_w.keyword(m_wTowns, town), t);
        }
    }
    void addShopPages() {
        for (const formats::ShopEntry& s : m_shops) {
            if (!s.featured && !s.ordersDirect) continue;
            m_page.block(BlockStyle::Heading).text(s.name);
            contactLines(s);
            if (!s.description.empty()) m_page.block(BlockStyle::Paragraph).text(s.description);
            m_page.block(BlockStyle::Paragraph).hotspot(hotspot('S', s), "Order from " + s.name);
            m_w.addTopic('M', reference(s), s.name, "00000000M|" + field(s.name), m_page.take());
        }
    }

    std::vector<formats::ShopEntry> m_shops;
    std::vector<std::string_view> m_towns; // first appearance order
    TitleWriter m_w;
    PageWriter m_page;
    int m_wTowns;
};

} // namespace

bool compileCatalogue(const QString& sourceDir, const QString& outPath, QString* error,
                      QString* report, const CompileOptions& options) {
    QString why;
    if (!error) error = &why;
    // Scratch files go beside the title by default: that disk has to hold the title anyway.
    const QString scratch =
        options.scratchDir.isEmpty() ? QFileInfo(outPath).absolutePath() : options.scratchDir;
    CatalogueCompiler c(sourceDir, scratch, options, error);
    return c.read() && c.build() && c.write(outPath, report);
}

bool compileShops(const QString& shopsCsv, const QString& outPath, QString* error,
                  QString* report) {
    QString why;
    if (!error) error = &why;
    std::vector<formats::ShopEntry> shops;
    if (!formats::readShopList(shopsCsv, shops, error)) return false;
    const size_t count = shops.size();
    // Towns are keywords of the directory.
    for (const formats::ShopEntry& s : shops)
        if (foldUtf8(s.town).size() > size_t(kMaxKeywordBytes)) {
            *error = QStringLiteral("%1: the town %2… is longer than %3 bytes once folded")
                         .arg(shopsCsv, QString::fromStdString(s.town.substr(0, 40)))
                         .arg(kMaxKeywordBytes);
            return false;
        }
    ShopsCompiler c(std::move(shops));
    c.build();
    TitleWriter::Stats stats;
    if (!c.write(outPath, error, stats)) return false;
    if (report)
        *report = QStringLiteral("Read %1 shops in %2 towns from %3\n")
                      .arg(count)
                      .arg(c.townCount())
                      .arg(shopsCsv) +
                  wheelReport(stats, outPath);
    return true;
}

} // namespace kv::title
