#include "titles/engine/Compiler.h"

#include "formats/Csv.h"
#include "formats/Files.h"
#include "titles/engine/SplitMix64.h"

#include <QDir>
#include <array>
#include <string>
#include <vector>

namespace kv::title {

namespace {

// The same seed gives the same catalogue on every platform.
class Random : public SplitMix64 {
public:
    using SplitMix64::SplitMix64;
    int below(int n) { return int(SplitMix64::below(uint32_t(n))); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <size_t N> const char* pick(const std::array<const char*, N>& a) {
        return a[size_t(below(int(N)))];
    }
};

const std::array<const char*, 48> kFirst = {
    "Anna",   "Ben",    "Carla",  "Daniel", "Edith",  "Frank",  "Grace", "Harry", "Iris",  "Jack",
    "Kate",   "Leo",    "Maria",  "Nick",   "Olive",  "Paul",   "Rosa",  "Sam",   "Tessa", "Victor",
    "Wendy",  "Xavier", "Yvonne", "Zack",   "Björn",  "Zoë",    "José",  "Chloé", "Søren", "Agnès",
    "Jürgen", "Inés",   "Mårten", "Renée",  "Łukasz", "Dvořák", "Ana",   "Noël",  "Éamon", "Åsa",
    "Marcus", "Lena",   "Otis",   "Nina",   "Ray",    "June",   "Dusty", "Ruby"};
const std::array<const char*, 40> kLast = {
    "Adams",   "Baker",  "Carter",   "Dawson",   "Ellis",    "Fisher",   "Gray",  "Hughes",
    "Irwin",   "Jones",  "Kelly",    "Lowe",     "Marsh",    "Nolan",    "Owens", "Parker",
    "Quinn",   "Reed",   "Shaw",     "Turner",   "Vance",    "Walsh",    "Young", "Zeller",
    "Müller",  "Núñez",  "Åkesson",  "Brontë",   "Lefèvre",  "García",   "Øster", "Ćosić",
    "O'Brien", "McCall", "Da Silva", "Van Dyke", "Le Blanc", "St. John", "Fox",   "Moon"};
const std::array<const char*, 40> kAdjective = {
    "Blue",   "Silent",   "Electric", "Golden",  "Broken",   "Velvet",  "Midnight", "Wild",
    "Lonely", "Crimson",  "Hollow",   "Bright",  "Distant",  "Sweet",   "Frozen",   "Burning",
    "Quiet",  "Restless", "Paper",    "Silver",  "Northern", "Empty",   "Strange",  "Little",
    "Big",    "Final",    "Secret",   "Perfect", "Neon",     "Crystal", "Gentle",   "Savage",
    "Open",   "Hidden",   "Southern", "Early",   "Last",     "Lost",    "Rolling",  "Shining"};
const std::array<const char*, 48> kNoun = {
    "River",   "Heart",  "Road",    "Sky",     "Dream",   "Fire",    "Rain",    "Night",
    "Train",   "Garden", "Mirror",  "Ocean",   "Shadow",  "Window",  "Summer",  "Winter",
    "Stone",   "Light",  "Angel",   "Highway", "City",    "Storm",   "Horizon", "Echo",
    "Moon",    "Island", "Harbour", "Letter",  "Radio",   "Thunder", "Desert",  "Valley",
    "Bridge",  "Circus", "Machine", "Ghost",   "Kingdom", "Forest",  "Engine",  "Lantern",
    "Sparrow", "Wolf",   "Tiger",   "Rose",    "Diamond", "Canyon",  "Avenue",  "Carnival"};
const std::array<const char*, 24> kVerb = {
    "Running", "Falling", "Waiting",  "Dancing", "Dreaming", "Calling", "Chasing",   "Holding",
    "Leaving", "Burning", "Flying",   "Singing", "Crying",   "Walking", "Breaking",  "Turning",
    "Shine",   "Fade",    "Remember", "Believe", "Hold On",  "Let Go",  "Come Home", "Stay"};
const std::array<const char*, 16> kGenre = {
    "Rock",   "Pop",  "Jazz",  "Blues", "Soul",    "Folk",       "Country", "Classical",
    "Reggae", "Punk", "Indie", "Dance", "Hip Hop", "Electronic", "Gospel",  "Metal"};
const std::array<const char*, 16> kLabel = {
    "Harbour Light", "Blue Lantern", "Northway", "Copperfield", "Silverline",  "Redwing",
    "Moonrise",      "Old Mill",     "Foxglove", "Kestrel",     "Brightwater", "Stonebridge",
    "Ravensworth",   "Lighthouse",   "Westgate", "Tidewater"};
const std::array<const char*, 9> kMedium = {"CD",        "LP",         "Cassette",
                                            "MiniDisc",  "7\" Single", "12\" Single",
                                            "Double CD", "Double LP",  "Box Set"};
const std::array<const char*, 14> kTown = {
    "Bristol", "Bath",    "Leeds",  "York",      "Norwich", "Brighton", "Edinburgh",
    "Glasgow", "Cardiff", "Oxford", "Cambridge", "Exeter",  "Chester",  "Durham"};

std::string titleCase(Random& r) {
    switch (r.below(9)) {
    case 0:
        return std::string(r.pick(kAdjective)) + " " + r.pick(kNoun);
    case 1:
        return std::string("The ") + r.pick(kNoun) + " of " + r.pick(kNoun) + "s";
    case 2:
        return r.pick(kVerb);
    case 3:
        return std::string(r.pick(kVerb)) + " " + r.pick(kNoun);
    case 4:
        return std::string(r.pick(kNoun)) + "s";
    case 5:
        return std::string(r.pick(kAdjective)) + " " + r.pick(kNoun) + " (" + r.pick(kVerb) + ")";
    case 6:
        return std::string("Songs for a ") + r.pick(kAdjective) + " " + r.pick(kNoun);
    case 7:
        return std::string(r.pick(kNoun)) + ", " + r.pick(kNoun) + " & " + r.pick(kNoun);
    default:
        return std::string(r.pick(kAdjective));
    }
}

std::string date(Random& r, int year) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, r.between(1, 12), r.between(1, 28));
    return buf;
}

class Out {
public:
    Out(const QDir& dir, const char* name, const char* header)
        : m_file(dir.filePath(QString::fromLatin1(name))) {
        m_ok = m_file.open(&m_error);
        m_buf = header;
        m_buf += '\n';
    }
    void row(std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (std::string_view f : fields) {
            if (!first) m_buf += ',';
            m_buf += formats::csvField(f);
            first = false;
        }
        m_buf += '\n';
        ++m_rows;
        if (m_buf.size() > (4u << 20)) flush();
    }
    bool finish(QString* error) {
        flush();
        if (m_ok && m_file.commit(error)) return true;
        if (!m_ok) *error = m_error;
        return false;
    }
    qint64 rows() const { return m_rows; }

private:
    void flush() {
        if (m_ok) m_file.write(m_buf.data(), m_buf.size()); // a failure shows at commit
        m_buf.clear();
    }
    formats::AtomicFile m_file;
    QString m_error;
    std::string m_buf;
    bool m_ok = false;
    qint64 m_rows = 0;
};

// The demo catalogue, drawn from one random sequence in a fixed order: the artists, then
// their recordings with releases and tracks, then the shops.
class DemoWriter {
public:
    DemoWriter(const QDir& dir, int artistCount, quint64 seed)
        : r(seed), artistCount(artistCount),
          artists(dir, "artists.csv", "artist_id,name,sort_name,compilation"),
          recordings(dir, "recordings.csv", "album_id,title,artist_id,year,genre"),
          releases(dir, "releases.csv",
                   "album_id,catalogue_number,label,release_date,deleted_date,medium"),
          tracks(dir, "tracks.csv", "album_id,disc,number,title,duration,artist_id"),
          shops(dir, "shops.csv",
                "number,town,name,address,phone,fax,email,featured,orders_direct,description") {}

    void writeArtists();
    void writeRecordings() {
        for (int a = 3; a <= artistCount; ++a) {
            const int albums = 1 + r.below(3) + (r.chance(30) ? r.below(6) : 0);
            for (int i = 0; i < albums; ++i)
                addRecording(a, false);
            if (r.chance(6)) addRecording(r.chance(80) ? 1 : 2, true);
        }
    }
    void writeShops();
    bool finish(QString* error) {
        return artists.finish(error) && recordings.finish(error) && releases.finish(error) &&
               tracks.finish(error) && shops.finish(error);
    }

    Random r;
    int artistCount;
    int album = 1000;
    Out artists, recordings, releases, tracks, shops;

private:
    void addRecording(int artist, bool compilation);
};

void DemoWriter::writeArtists() {
    // Artists 1 and 2 are the compilation artists.
    artists.row({"1", "Various Artists", "", "1"});
    artists.row({"2", "Original Soundtrack", "", "1"});
    std::vector<std::string> names(size_t(artistCount) + 1), sorts(size_t(artistCount) + 1);
    for (int a = 3; a <= artistCount; ++a) {
        std::string name, sort;
        const int kind = r.below(10);
        if (a % 97 == 0 && a > 3) {
            // A name that differs from an earlier one only in case: a separate keyword.
            name = names[size_t(a - 1)];
            sort = sorts[size_t(a - 1)];
            for (std::string* s : {&name, &sort})
                for (char& c : *s)
                    if (c >= 'a' && c <= 'z') c = char(c - 32);
        } else if (kind < 6) {
            const std::string first = r.pick(kFirst), last = r.pick(kLast);
            name = first + " " + last;
            if (r.chance(70)) sort = last + ", " + first;
        } else if (kind < 9) {
            const std::string noun = std::string(r.pick(kAdjective)) + " " + r.pick(kNoun) + "s";
            name = "The " + noun;
            if (r.chance(80)) sort = noun + ", The";
        } else {
            name = std::string(r.pick(kNoun)) + " " + r.pick(kNoun);
        }
        names[size_t(a)] = name;
        sorts[size_t(a)] = sort;
        artists.row({std::to_string(a), name, sort, "0"});
    }
}

void DemoWriter::addRecording(int artist, bool compilation) {
    ++album;
    const std::string id = std::to_string(album);
    const int year = r.between(1955, 1999);
    std::string title = compilation   ? (r.chance(50) ? "Hits of " + std::to_string(year)
                                                      : "The Best of " + titleCase(r))
                        : r.chance(4) ? std::string("Greatest Hits")
                                      : titleCase(r);
    recordings.row({id, title, std::to_string(artist), r.chance(95) ? std::to_string(year) : "",
                    r.chance(90) ? r.pick(kGenre) : ""});
    const int releaseCount = r.between(1, 3);
    for (int i = 0; i < releaseCount; ++i) {
        const char* label = r.pick(kLabel);
        std::string cat;
        for (const char* p = label; *p && cat.size() < 3; ++p)
            if (*p >= 'A' && *p <= 'Z') cat += *p;
        cat += ' ' + std::to_string(r.between(100, 99999));
        const int released = std::min(2000, year + r.below(3) * r.below(8));
        releases.row({id, cat, r.chance(95) ? label : "", date(r, released),
                      r.chance(30) ? date(r, std::min(2000, released + r.between(1, 10))) : "",
                      r.pick(kMedium)});
    }
    const int discs = r.chance(8) ? 2 : 1;
    for (int d = 1; d <= discs; ++d) {
        const int n = r.between(6, 14);
        for (int t = 1; t <= n; ++t) {
            const int by = compilation ? r.between(3, artistCount) : artist;
            tracks.row({id, std::to_string(d), std::to_string(t), titleCase(r),
                        r.chance(97) ? std::to_string(r.between(95, 560)) : "",
                        compilation || r.chance(5) ? std::to_string(by) : ""});
        }
    }
}

void DemoWriter::writeShops() {
    for (int s = 1; s <= 30; ++s) {
        const char* town = r.pick(kTown);
        const std::string name = std::string(r.pick(kAdjective)) + " " + r.pick(kNoun) + " Records";
        std::string slug;
        for (char c : name)
            if (c >= 'A' && c <= 'Z')
                slug += char(c + 32);
            else if (c >= 'a' && c <= 'z')
                slug += c;
        shops.row({std::to_string(s), town, name,
                   std::to_string(r.between(1, 200)) + " " + r.pick(kNoun) + " Street, " + town,
                   r.chance(90) ? "01" + std::to_string(r.between(100, 999)) + " 496 " +
                                      std::to_string(r.between(100, 999))
                                : "",
                   r.chance(50) ? "01" + std::to_string(r.between(100, 999)) + " 496 000" : "",
                   r.chance(85) ? slug + "@example.co.uk" : "", r.chance(30) ? "1" : "0",
                   r.chance(40) ? "1" : "0",
                   std::string("\"") + r.pick(kAdjective) + "\" records, tapes and CDs, " +
                       r.pick(kGenre) + " a speciality"});
    }
}

} // namespace

bool writeDemoSource(const QString& dirPath, int artistCount, quint64 seed, QString* error,
                     QString* report) {
    QString why;
    if (!error) error = &why;
    if (artistCount < 3 || artistCount > 10000000) {
        *error = QStringLiteral("the number of artists must be from 3 to 10000000");
        return false;
    }
    QDir dir(dirPath);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create %1").arg(dirPath);
        return false;
    }
    DemoWriter w(dir, artistCount, seed);
    w.writeArtists();
    w.writeRecordings();
    w.writeShops();
    if (!w.finish(error)) return false;
    if (report)
        *report = QStringLiteral("Wrote %1: %2 artists, %3 recordings, %4 releases, %5 tracks, "
                                 "%6 shops (seed %7)\n")
                      .arg(dirPath)
                      .arg(w.artists.rows())
                      .arg(w.recordings.rows())
                      .arg(w.releases.rows())
                      .arg(w.tracks.rows())
                      .arg(w.shops.rows())
                      .arg(seed);
    return true;
}

} // namespace kv::title
