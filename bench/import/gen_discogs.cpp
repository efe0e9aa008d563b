// Writes synthetic Discogs dumps (releases, masters, artists) of the shape of the monthly
// ones: the same elements and attributes, record sizes near theirs (about 4 KB a release),
// ids with gaps, masters whose main release may come anywhere in the releases file, vinyl,
// CD and multi-disc positions, headings and sub-tracks, "Various" compilations, artists
// with a " (2)" suffix, entities in text. The same seed and count always give the same files.
//
//   kv-discogs-gen DIR --releases N [--seed S] [--gzip LEVEL]
//
// Masters and artists are in the dumps' proportion (2.4 and 9 for every 18 releases).

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "titles/engine/SplitMix64.h"

namespace {

class Random : public kv::title::SplitMix64 {
public:
    using SplitMix64::SplitMix64;
    bool chance(int percent) { return below(100) < uint32_t(percent); }
    // Skewed towards small values, as popular artists and masters are few.
    uint32_t skewed(uint32_t n) { return std::min(n - 1, uint32_t(double(n) * std::pow(unit(), 2.5))); }
};

// Output to a plain or gzip file.
class Out {
public:
    Out(const std::string& path, int level) : m_level(level) {
        m_f = std::fopen(path.c_str(), "wb");
        if (!m_f) {
            std::perror(path.c_str());
            std::exit(1);
        }
        if (m_level > 0) {
            std::memset(&m_z, 0, sizeof m_z);
            deflateInit2(&m_z, m_level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
            m_zout.resize(1 << 20);
        }
    }
    ~Out() {
        flush(true);
        if (m_level > 0) deflateEnd(&m_z);
        std::fclose(m_f);
    }
    std::string& buf() { return m_buf; }
    void maybeFlush() {
        if (m_buf.size() > (1 << 20)) flush(false);
    }

private:
    void flush(bool last) {
        if (m_level == 0) {
            std::fwrite(m_buf.data(), 1, m_buf.size(), m_f);
        } else {
            m_z.next_in = reinterpret_cast<Bytef*>(m_buf.data());
            m_z.avail_in = uInt(m_buf.size());
            int rc;
            do {
                m_z.next_out = reinterpret_cast<Bytef*>(m_zout.data());
                m_z.avail_out = uInt(m_zout.size());
                rc = deflate(&m_z, last ? Z_FINISH : Z_NO_FLUSH);
                std::fwrite(m_zout.data(), 1, m_zout.size() - m_z.avail_out, m_f);
            } while (m_z.avail_out == 0 || (last && rc != Z_STREAM_END));
        }
        m_buf.clear();
    }
    std::FILE* m_f;
    int m_level;
    z_stream m_z;
    std::vector<char> m_zout;
    std::string m_buf;
};

const char* const kSyllables[] = {"ka", "lo",  "mi", "ven", "dor", "sa",  "ri", "tho", "bel", "ux",
                                  "an", "ter", "is", "mon", "ga",  "fre", "el", "ost", "qui", "zan",
                                  "pe", "ro",  "ny", "ch",  "ard", "lin", "sk", "wa",  "hel", "mu"};
const char* const kWords[] = {"Night", "Blue",     "Sound",  "Love",   "Dance", "Dream", "Fire",
                              "Heart", "Time",     "Light",  "Dark",   "Rain",  "City",  "Soul",
                              "Deep",  "House",    "Acid",   "Trip",   "Star",  "Road",  "Moon",
                              "Wave",  "Electric", "Golden", "Silent", "Wild"};
const char* const kGenres[] = {"Electronic",
                               "Rock",
                               "Pop",
                               "Jazz",
                               "Funk / Soul",
                               "Hip Hop",
                               "Classical",
                               "Folk, World, &amp; Country",
                               "Reggae",
                               "Latin",
                               "Stage &amp; Screen",
                               "Blues"};
const char* const kStyles[] = {"Techno",       "House",  "Ambient",   "Punk", "Indie Rock",
                               "Synth-pop",    "Disco",  "Hard Rock", "Soul", "Deep House",
                               "Experimental", "Trance", "Downtempo"};
const char* const kCountries[] = {"US",    "UK",     "Germany", "France", "Japan", "Netherlands",
                                  "Italy", "Canada", "Sweden",  "Europe", "Spain", "Belgium"};
const char* const kRoles[] = {"Producer", "Mastered By", "Written-By", "Design", "Photography By",
                              "Mixed By", "Remix",       "Vocals",     "Bass",   "Drums"};

struct Sizes {
    uint32_t releases, masters, artists;
    uint32_t releaseId(uint32_t i) const { return 1 + uint32_t(uint64_t(i) * 33 / 18); }
    uint32_t masterId(uint32_t j) const { return 1 + uint32_t(uint64_t(j) * 3 / 2); }
    uint32_t artistId(uint32_t k) const {
        return k == 0 ? 194 : 200 + uint32_t(uint64_t(k) * 16 / 9);
    }
};

std::string artistName(uint32_t id) {
    if (id == 194) return "Various";
    Random r(id * 7919ull + 13);
    std::string name;
    if (r.chance(10)) name = "The ";
    for (int w = 0, words = 1 + int(r.below(3)); w < words; ++w) {
        if (w) name += ' ';
        for (int s = 0, n = 2 + int(r.below(2)); s < n; ++s)
            name += kSyllables[r.below(30)];
        const size_t start = name.rfind(' ') == std::string::npos ? 0 : name.rfind(' ') + 1;
        name[start] = char(std::toupper(static_cast<unsigned char>(name[start])));
    }
    if (r.chance(6)) name += " (" + std::to_string(2 + r.below(20)) + ")";
    return name;
}

void words(std::string& o, Random& r, int n) {
    for (int i = 0; i < n; ++i) {
        if (i) o += ' ';
        o += kWords[r.below(26)];
    }
}

void artistCredit(std::string& o, const Sizes& z, Random& r, uint32_t artist, const char* role,
                  bool anv) {
    const uint32_t id = z.artistId(artist);
    o += "<artist><id>" + std::to_string(id) + "</id><name>" + artistName(id) + "</name><anv>";
    if (anv) o += artistName(id).substr(0, 3) + ".";
    o += "</anv><join></join><role>";
    o += role;
    o += "</role><tracks></tracks></artist>";
}

void images(std::string& o, Random& r) {
    o += "<images>";
    for (int i = 0, n = 1 + int(r.below(5)); i < n; ++i)
        o += std::string("<image type=\"") + (i ? "secondary" : "primary") +
             "\" uri=\"\" uri150=\"\" width=\"600\" height=\"" +
             std::to_string(400 + r.below(200)) + "\"/>";
    o += "</images>";
}

void videos(std::string& o, Random& r, int count) {
    o += "<videos>";
    for (int n = 0; n < count; ++n) {
        o += "<video src=\"https://www.youtube.com/watch?v=" +
             std::to_string(r.next() % 100000000000ull) + "\" duration=\"" +
             std::to_string(100 + r.below(400)) + "\" embed=\"true\"><title>";
        words(o, r, 4 + int(r.below(3)));
        o += "</title><description>";
        words(o, r, 6 + int(r.below(3)));
        o += "</description></video>";
    }
    o += "</videos>";
}

void releaseRecord(std::string& o, const Sizes& z, Random& r, uint32_t i, uint32_t master,
                   bool isMain) {
    const uint32_t id = z.releaseId(i);
    const bool various = r.chance(8);
    const uint32_t artist = various ? 0 : 1 + r.skewed(z.artists - 1);
    o += "<release id=\"" + std::to_string(id) + "\" status=\"Accepted\">";
    images(o, r);
    o += "<artists>";
    artistCredit(o, z, r, artist, "", false);
    o += "</artists><title>";
    words(o, r, 1 + int(r.below(4)));
    o += "</title><labels>";
    for (int l = 0, n = r.chance(20) ? 2 : 1; l < n; ++l)
        o += "<label name=\"" + std::string(kWords[r.below(26)]) + " Records\" catno=\"" +
             (r.chance(5) ? std::string("none")
                          : std::string(kWords[r.below(26)]).substr(0, 3) + " " +
                                std::to_string(r.below(100000))) +
             "\" id=\"" + std::to_string(1 + r.below(2000000)) + "\"/>";
    o += "</labels><extraartists>";
    for (int e = 0, n = int(r.below(13)); e < n; ++e)
        artistCredit(o, z, r, 1 + r.below(z.artists - 1), kRoles[r.below(10)], false);
    o += "</extraartists><formats>";
    const int kind = int(r.below(10));
    const bool vinyl = kind < 4, multi = r.chance(12);
    const uint32_t qty = multi ? 2 + r.below(2) : 1;
    o += std::string("<format name=\"") +
         (vinyl      ? "Vinyl"
          : kind < 8 ? "CD"
                     : "Cassette") +
         "\" qty=\"" + std::to_string(qty) + "\" text=\"\"><descriptions>";
    if (vinyl)
        o += r.chance(50) ? "<description>LP</description>" : "<description>12&quot;</description>";
    o += "<description>Album</description>";
    if (r.chance(30)) o += "<description>Reissue</description>";
    o += "</descriptions></format></formats><genres>";
    o += std::string("<genre>") + kGenres[r.skewed(12)] + "</genre>";
    if (r.chance(30)) o += std::string("<genre>") + kGenres[r.below(12)] + "</genre>";
    o += "</genres><styles>";
    for (int s = 0, n = int(r.below(4)); s < n; ++s)
        o += std::string("<style>") + kStyles[r.below(13)] + "</style>";
    o += std::string("</styles><country>") + kCountries[r.skewed(12)] + "</country><released>";
    const uint32_t year = 1950 + r.below(75);
    switch (r.below(4)) {
    case 0:
        o += std::to_string(year);
        break;
    case 1:
        o += std::to_string(year) + "-0" + std::to_string(1 + r.below(9)) + "-00";
        break;
    case 2:
        o += std::to_string(year) + "-1" + std::to_string(r.below(3)) + "-" +
             std::to_string(10 + r.below(18));
        break;
    default:
        break;
    }
    o += "</released><notes>";
    if (r.chance(50)) {
        for (int n = 0, lines = 1 + int(r.below(5)); n < lines; ++n) {
            words(o, r, 8 + int(r.below(20)));
            o += ". &#13;\n";
        }
    }
    o += "</notes><data_quality>Needs Vote</data_quality>";
    if (master)
        o += std::string("<master_id is_main_release=\"") + (isMain ? "true" : "false") + "\">" +
             std::to_string(z.masterId(master - 1)) + "</master_id>";
    o += "<tracklist>";
    const int discs = vinyl ? 1 : int(qty);
    const int tracks = 2 + int(r.below(vinyl ? 10 : 16));
    for (int d = 1; d <= discs; ++d) {
        if (discs > 1 && r.chance(50))
            o += "<track><position></position><title>Disc " + std::to_string(d) +
                 "</title><duration></duration></track>";
        for (int t = 1; t <= tracks / discs + 1; ++t) {
            std::string pos;
            if (vinyl)
                pos = std::string(1, char('A' + (t - 1) * 2 * int(qty) / (tracks / discs + 1))) +
                      std::to_string(1 + (t - 1) % 4);
            else if (discs > 1)
                pos = (r.chance(50) ? "CD" : "") + std::to_string(d) + "-" + std::to_string(t);
            else
                pos = std::to_string(t);
            o += "<track><position>" + pos + "</position><title>";
            words(o, r, 1 + int(r.below(4)));
            o += "</title><duration>";
            if (r.chance(80))
                o += std::to_string(2 + r.below(7)) + ":" + std::to_string(10 + r.below(50));
            o += "</duration>";
            if (various || r.chance(10)) {
                o += "<artists>";
                artistCredit(o, z, r, 1 + r.skewed(z.artists - 1), "", r.chance(20));
                o += "</artists>";
            }
            if (r.chance(15)) {
                o += "<extraartists>";
                artistCredit(o, z, r, 1 + r.below(z.artists - 1), kRoles[r.below(10)], false);
                o += "</extraartists>";
            }
            if (r.chance(2)) {
                o += "<sub_tracks>";
                for (int s = 0; s < 3; ++s)
                    o += "<track><position>" + pos + char('a' + s) + "</position><title>Part " +
                         std::to_string(s + 1) + "</title><duration>1:0" + std::to_string(s) +
                         "</duration></track>";
                o += "</sub_tracks>";
            }
            o += "</track>";
        }
    }
    o += "</tracklist><identifiers>";
    for (int n = 0, k = int(r.below(6)); n < k; ++n)
        o += "<identifier type=\"Barcode\" value=\"" + std::to_string(r.next() % 1000000000000ull) +
             "\" description=\"\"/>";
    o += "</identifiers>";
    videos(o, r, r.chance(30) ? int(1 + r.below(3)) : 0);
    o += "<companies>";
    for (int n = 0, k = int(r.below(6)); n < k; ++n) {
        o += "<company><id>" + std::to_string(1 + r.below(2000000)) + "</id><name>";
        words(o, r, 2);
        o += "</name><catno></catno><entity_type>" + std::to_string(1 + r.below(30)) +
             "</entity_type><entity_type_name>Pressed By</entity_type_name><resource_url>"
             "https://api.discogs.com/labels/" +
             std::to_string(1 + r.below(2000000)) + "</resource_url></company>";
    }
    o += "</companies></release>\n";
}

void masterRecord(std::string& b, const Sizes& z, Random& rr, uint32_t j, uint32_t mainRelease) {
    b += "<master id=\"" + std::to_string(z.masterId(j)) + "\"><main_release>" +
         std::to_string(mainRelease) + "</main_release>";
    images(b, rr);
    b += "<artists>";
    artistCredit(b, z, rr, rr.chance(8) ? 0 : 1 + rr.skewed(z.artists - 1), "", false);
    b += std::string("</artists><genres><genre>") + kGenres[rr.skewed(12)] +
         "</genre></genres><styles><style>" + kStyles[rr.below(13)] + "</style></styles><year>" +
         std::to_string(rr.chance(5) ? 0 : 1950 + rr.below(75)) + "</year><title>";
    words(b, rr, 1 + int(rr.below(4)));
    b += "</title><data_quality>Correct</data_quality>";
    videos(b, rr, int(rr.below(4)));
    b += "</master>\n";
}

void artistRecord(std::string& b, Random& rr, uint32_t id) {
    b += "<artist>";
    images(b, rr);
    b += "<id>" + std::to_string(id) + "</id><name>" + artistName(id) +
         "</name><realname></realname><profile>";
    if (rr.chance(40)) words(b, rr, 10 + int(rr.below(30)));
    b += "</profile><data_quality>Needs Vote</data_quality><urls>";
    if (rr.chance(30)) b += "<url>https://example.com/" + std::to_string(id) + "</url>";
    b += "</urls><namevariations><name>" + artistName(id).substr(0, 4) +
         "</name></namevariations></artist>\n";
}

// One dump file: the root element around `count` records, each from its own generator so
// a record does not depend on the ones before it.
template <class F>
void writeDump(const std::string& path, int level, const char* root, uint32_t count, uint64_t seed,
               F record) {
    Out o(path, level);
    o.buf() = std::string("<") + root + ">\n";
    for (uint32_t i = 0; i < count; ++i) {
        Random r(seed + i);
        record(o.buf(), r, i);
        o.maybeFlush();
    }
    o.buf() += std::string("</") + root + ">\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[2], "--releases") != 0) {
        std::fprintf(stderr, "usage: kv-discogs-gen DIR --releases N [--seed S] [--gzip LEVEL]\n");
        return 2;
    }
    const std::string dir = argv[1];
    Sizes z{};
    z.releases = uint32_t(std::strtoul(argv[3], nullptr, 10));
    uint64_t seed = 1;
    int level = 0;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seed"))
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--gzip"))
            level = std::atoi(argv[i + 1]);
    }
    z.masters = std::max<uint32_t>(1, uint32_t(uint64_t(z.releases) * 24 / 180));
    z.artists = std::max<uint32_t>(2, z.releases / 2);
    const std::string ext = level > 0 ? ".xml.gz" : ".xml";
    Random r(seed);

    // Every master gets one release at a random place, which is its main release; more
    // releases join masters, popular ones more often, until about 55% have a master.
    std::vector<uint32_t> masterOf(z.releases, 0);
    std::vector<uint32_t> mainOf(z.masters, 0);
    for (uint32_t j = 0; j < z.masters && j < z.releases; ++j) {
        uint32_t i;
        do
            i = r.below(z.releases);
        while (masterOf[i]);
        masterOf[i] = j + 1;
        mainOf[j] = i;
    }
    for (uint32_t i = 0; i < z.releases; ++i)
        if (!masterOf[i] && r.chance(48)) masterOf[i] = 1 + r.skewed(z.masters);

    writeDump(dir + "/releases" + ext, level, "releases", z.releases, seed * 1000003,
              [&](std::string& o, Random& r, uint32_t i) {
                  const uint32_t m = masterOf[i];
                  releaseRecord(o, z, r, i, m, m && mainOf[m - 1] == i);
              });
    writeDump(dir + "/masters" + ext, level, "masters", z.masters, seed * 2000003,
              [&](std::string& o, Random& r, uint32_t j) {
                  masterRecord(o, z, r, j, z.releaseId(mainOf[j]));
              });
    writeDump(dir + "/artists" + ext, level, "artists", z.artists, seed * 3000003,
              [&](std::string& o, Random& r, uint32_t k) { artistRecord(o, r, z.artistId(k)); });
    std::fprintf(stderr, "kv-discogs-gen: %u releases, %u masters, %u artists in %s\n", z.releases,
                 z.masters, z.artists, dir.c_str());
    return 0;
}
