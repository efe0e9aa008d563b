// The whole import: dumps in, catalogue sources out, compiled and searched with our own
// compiler and viewer library.

#include "titles/import/DiscogsImport.h"
#include "ImportFixture.h"
#include "formats/Csv.h"
#include "titles/TitleFixture.h"
#include "titles/engine/Wheels.h"

#include <QDir>
#include <QTemporaryDir>
#include <map>
#include <random>
#include <set>

using namespace kv;
using namespace kv::test;
using namespace kv::titleimport;

namespace {

// The rows of one output file as maps from column to value, header checked.
std::vector<std::map<std::string, std::string>> rows(const QString& path,
                                                     const std::vector<std::string>& columns) {
    formats::CsvReader csv;
    std::vector<std::map<std::string, std::string>> out;
    EXPECT_TRUE(csv.open(path, columns)) << csv.error().toStdString();
    while (csv.next()) {
        std::map<std::string, std::string> r;
        for (size_t i = 0; i < columns.size(); ++i)
            r[columns[i]] = std::string(csv.field(i));
        out.push_back(r);
    }
    EXPECT_TRUE(csv.error().isEmpty()) << csv.error().toStdString();
    return out;
}

// One line per row, fields joined by "|", in file order.
std::vector<std::string> lines(const QString& dir, const char* file) {
    static const std::map<std::string, std::vector<std::string>> columns = {
        {"artists.csv", {"artist_id", "name", "sort_name", "compilation"}},
        {"recordings.csv", {"album_id", "title", "artist_id", "year", "genre"}},
        {"releases.csv",
         {"album_id", "catalogue_number", "label", "release_date", "deleted_date", "medium"}},
        {"tracks.csv", {"album_id", "disc", "number", "title", "duration", "artist_id"}}};
    std::vector<std::string> out;
    const auto& cols = columns.at(file);
    for (const auto& r : rows(QDir(dir).filePath(file), cols)) {
        std::string l;
        for (const std::string& c : cols)
            l += (l.empty() ? "" : "|") + r.at(c);
        out.push_back(l);
    }
    return out;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> linesOf(const std::vector<std::string>& all, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : all)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

class DiscogsImportTest : public TitleTest {
protected:
    QString out() const { return m_dir.filePath("src"); }

    DiscogsImportOptions options(bool masters = true, bool artists = true) const {
        DiscogsImportOptions o;
        o.outDir = out();
        o.releases = fixture("releases.xml");
        if (masters) o.masters = fixture("masters.xml");
        if (artists) o.artists = fixture("artists.xml");
        return o;
    }

    bool run(const DiscogsImportOptions& o, QString* error = nullptr) {
        QString why;
        const bool ok = importDiscogs(o, m_report, &why);
        if (error)
            *error = why;
        else
            EXPECT_TRUE(ok) << why.toStdString();
        return ok;
    }

    // The fixture's releases dump with only the records whose ids are listed.
    QString excerpt(const std::set<std::string>& ids) {
        std::string text = readAll(fixture("releases.xml")), kept;
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at + 1);
            at = end + 1;
            const size_t id = line.find("<release id=\"");
            if (id == std::string::npos ||
                ids.count(line.substr(id + 13, line.find('"', id + 13) - id - 13)))
                kept += line;
        }
        const QString path = m_dir.filePath("excerpt.xml");
        writeAll(path, kept);
        return path;
    }

    // Compiles the folder with our compiler and opens the title.
    MVHandle catalogueFrom(const QString& dir) {
        const QString file = m_dir.filePath("Music.M14");
        QString error;
        EXPECT_TRUE(title::compileCatalogue(dir, file, &error)) << error.toStdString();
        return error.isEmpty() ? open(file) : 0;
    }
    QStringList words(MVHandle t, char code) { return keywords(wheel(t, wheel::code(code))); }
    QStringList titlesUnder(MVHandle t, char code, const QString& keyword) {
        return topicTitles(t, wheel(t, wheel::code(code)), keyword);
    }
    static QString identification(MVHandle t, const QString& context) {
        MVTopic topic;
        const qint32 va = vaMVConvertContextString(t, context);
        return va >= 0 && bMVGetTopic(t, va, topic) ? topic.identification : QString();
    }

    DiscogsImportReport m_report;
};

TEST_F(DiscogsImportTest, MastersReleasesAndArtistsMapAsDocumented) {
    run(options());
    EXPECT_EQ(sorted(lines(out(), "recordings.csv")),
              (std::vector<std::string>{"10000500|Vol. 2 & More|267132|2001|Electronic, Pop",
                                        "10000900|Untold Numbers|3||Electronic",
                                        "4242|Rock & Roll Hits|194||Rock, Pop",
                                        "66526|Profound Sounds (Master)|3|1998|Electronic"}));
    EXPECT_EQ(lines(out(), "releases.csv"),
              (std::vector<std::string>{
                  "66526|CK 63628|Ruffhouse Records|1999-07-13||CD",
                  "10000500|HL 001|Harbour Light, Night Shift|2001-03||2\xC3\x97"
                  "CD + Vinyl, 7\", Single",
                  "4242|COMP 7|Compilations Inc.|1975||2\xC3\x97Vinyl, LP",
                  "4242|COMP 7 CD|Compilations Inc.|1988||CD", "10000900|[r900]||||File",
                  "66526|CK 69999|Ruffhouse Records|1998-11-02||2\xC3\x97Vinyl, LP"}));
    EXPECT_EQ(
        sorted(lines(out(), "artists.csv")),
        (std::vector<std::string>{"194|Various||1", "1|The Persuader|Persuader, The|0",
                                  "267132|Care Company||0", "3|Josh Wink||0", "7|Sylk 130||0"}));
    const std::vector<std::string> tracks = lines(out(), "tracks.csv");
    EXPECT_EQ(tracks.size(), 17u);
    // The master's tracks come from its main release, which the dump has after another of
    // its releases.
    EXPECT_EQ(linesOf(tracks, "66526|"),
              (std::vector<std::string>{"66526|1|1|Higher State|400|", "66526|1|2|Lower State|301|",
                                        "66526|1|3|Side Two Opener|427|",
                                        "66526|2|1|Second Record|488|"}));
    // A compilation: track artists, a heading skipped, sub-tracks under a heading.
    EXPECT_EQ(linesOf(tracks, "4242|"),
              (std::vector<std::string>{
                  "4242|1|1|Opening Number|180|1", "4242|1|2|Second Song|150|7",
                  "4242|1|3|Flip Side|240|1", "4242|1|4|Part One|60|", "4242|1|5|Part Two|70|",
                  "4242|2|1|Other Record|305|267132", "4242|2|2|Last Groove|366|1"}));
    EXPECT_EQ(linesOf(tracks, "10000500|"),
              (std::vector<std::string>{
                  "10000500|1|1|First Light|241|", "10000500|1|2|Second Wind|3723|",
                  "10000500|2|1|Third Rail||", "10000500|2|2|Fourth <Wall> & Door||",
                  "10000500|2|7|Side Single|179|"}));

    EXPECT_EQ(m_report.releasesRead, 9u);
    EXPECT_EQ(m_report.releasesKept, 6u);
    EXPECT_EQ(m_report.releasesNotAccepted, 1u);
    EXPECT_EQ(m_report.skipped, 3u);
    EXPECT_EQ(m_report.text(out()).toStdString(),
              "Read 3 masters.\n"
              "Read 9 releases: 6 kept, 1 not accepted on Discogs.\n"
              "Read 6 artists.\n"
              "Wrote " +
                  out().toStdString() +
                  ": 4 recordings, 6 releases, 17 tracks, 5 artists.\n"
                  "Skipped 3 malformed records:\n"
                  "  release 600: malformed XML (a stray '/' in a tag)\n"
                  "  release 601: it has no title\n"
                  "  artist x: its id is missing or not from 1 to 99999999\n");
}

TEST_F(DiscogsImportTest, TheResultCompilesAndIsSearchable) {
    run(options());
    const MVHandle t = catalogueFrom(out());
    ASSERT_NE(t, 0);
    EXPECT_EQ(words(t, wheel::Albums), (QStringList{"Profound Sounds (Master)", "Rock & Roll Hits",
                                                    "Untold Numbers", "Vol. 2 & More"}));
    EXPECT_EQ(words(t, wheel::OwnArtists),
              (QStringList{"Care Company", "Josh Wink", "Persuader, The", "Sylk 130"}))
        << "Various is a compilation; \"The Persuader\" files under P";
    EXPECT_TRUE(words(t, wheel::Artists).contains("Various"));
    EXPECT_EQ(titlesUnder(t, wheel::Artists, "Persuader, The"),
              QStringList{"Rock & Roll Hits - Various"})
        << "an artist on a compilation is found under their own name";
    EXPECT_EQ(titlesUnder(t, wheel::Tracks, "Part One"), QStringList{"Rock & Roll Hits - Various"});
    // Both releases of the master stand in its recording's identification string.
    const QString id = identification(t, "R_66526");
    EXPECT_TRUE(id.startsWith("00066526R|Profound Sounds (Master)|Josh Wink|2|"))
        << id.toStdString();
    EXPECT_TRUE(id.contains("CK 63628^Ruffhouse Records^1999-07-13^^CD"));
    EXPECT_TRUE(id.contains("CK 69999^Ruffhouse Records^1998-11-02^^2\u00D7Vinyl, LP"));
    EXPECT_TRUE(
        identification(t, "R_10000900").startsWith("10000900R|Untold Numbers|Josh Wink|1|[r900]^"));
    // The release without a number of its own adds none to the catalogue-number wheel.
    EXPECT_EQ(titlesUnder(t, wheel::CatalogueNumbers, "CK63628"),
              QStringList{"Profound Sounds (Master) - Josh Wink"});
    EXPECT_FALSE(words(t, wheel::CatalogueNumbers).join(u' ').contains("900"));
}

TEST_F(DiscogsImportTest, WithoutMastersTheMainOrElseTheFirstReleaseStandsIn) {
    run(options(false, false));
    EXPECT_EQ(linesOf(sorted(lines(out(), "recordings.csv")), "66526|"),
              std::vector<std::string>{"66526|Profound Sounds|3|1998|Electronic"});
    EXPECT_EQ(linesOf(sorted(lines(out(), "recordings.csv")), "4242|"),
              std::vector<std::string>{"4242|Rock & Roll \u263A Hits|194|1975|Rock"});
    EXPECT_TRUE(linesOf(sorted(lines(out(), "artists.csv")), "267132|") ==
                std::vector<std::string>{"267132|Care Company||0"})
        << "names come from the releases when there is no artists dump";

    // An excerpt without the main releases: the first release of each master in it.
    DiscogsImportOptions o = options(false, false);
    o.releases = excerpt({"3", "778"});
    run(o);
    EXPECT_EQ(sorted(lines(out(), "recordings.csv")),
              (std::vector<std::string>{"4242|Rock And Roll Hits|194|1988|Rock",
                                        "66526|Profound Sounds Vol. 1|3|1999|Electronic"}))
        << "the album ids are those of the whole dump's import";
    EXPECT_EQ(linesOf(lines(out(), "tracks.csv"), "66526|"),
              (std::vector<std::string>{"66526|1|1|Untitled 8|420|5", "66526|1|1|909 Shuffle|190|",
                                        "66526|1|1|Laser 101 Rmx|266|",
                                        "66526|1|2|Anjua (Sneaky 3)|328|15525",
                                        "66526|1|3|When The Funk Hits The Fan|325|7"}));
    EXPECT_EQ(sorted(lines(out(), "artists.csv")),
              (std::vector<std::string>{"15525|Karl Axel Bissler||0", "194|Various||1",
                                        "3|Josh Wink||0", "5|Heiko Laux||0", "7|Sylk 130||0"}));
    EXPECT_NE(catalogueFrom(out()), 0);
}

TEST_F(DiscogsImportTest, FiltersKeepReleasesAndTheirRecordingsOnly) {
    struct Case {
        const char* what;
        std::function<void(DiscogsImportOptions&)> set;
        std::vector<std::string> catalogueNumbers;
    };
    const std::vector<Case> cases = {
        {"genre", [](auto& o) { o.genres = {"rock"}; }, {"COMP 7", "COMP 7 CD"}},
        {"style",
         [](auto& o) {
             o.styles = {"House", "Tech House"};
         },
         {"CK 63628", "HL 001"}},
        {"country", [](auto& o) { o.countries = {"germany"}; }, {"COMP 7 CD"}},
        {"format", [](auto& o) { o.formats = {"LP"}; }, {"COMP 7", "CK 69999"}},
        {"format name",
         [](auto& o) {
             o.formats = {"file", "Cassette"};
         },
         {"[r900]"}},
        {"years", [](auto& o) { o.yearFrom = 1990, o.yearTo = 1999; }, {"CK 63628", "CK 69999"}},
        {"year from", [](auto& o) { o.yearFrom = 2000; }, {"HL 001"}},
        {"limit", [](auto& o) { o.limit = 2; }, {"CK 63628", "HL 001"}},
        {"two filters",
         [](auto& o) { o.genres = {"Electronic"}, o.countries = {"US"}; },
         {"CK 63628", "CK 69999"}},
    };
    for (const Case& c : cases) {
        DiscogsImportOptions o = options();
        c.set(o);
        run(o);
        std::vector<std::string> numbers;
        for (const auto& r : rows(QDir(out()).filePath("releases.csv"), {"catalogue_number"}))
            numbers.push_back(r.at("catalogue_number"));
        EXPECT_EQ(numbers, c.catalogueNumbers) << c.what;
        EXPECT_GE(m_report.artistsRead, 5u) << c.what << ": the artists dump is read whole";
    }
    // Only German releases: the recording still has the main release's tracks though the
    // main release itself is left out.
    DiscogsImportOptions o = options();
    o.countries = {"Germany"};
    run(o);
    EXPECT_EQ(lines(out(), "recordings.csv"),
              std::vector<std::string>{"4242|Rock & Roll Hits|194||Rock, Pop"});
    EXPECT_EQ(lines(out(), "tracks.csv").size(), 7u);
    EXPECT_EQ(m_report.releasesFiltered, 6u) << "what is left out is not looked into (release 601)";
    EXPECT_NE(catalogueFrom(out()), 0);
}

TEST_F(DiscogsImportTest, BadInputLeavesTheOutputFolderAsItWas) {
    ASSERT_TRUE(QDir().mkpath(out()));
    writeAll(QDir(out()).filePath("releases.csv"), "old");
    writeAll(QDir(out()).filePath("notes.txt"), "mine");
    auto untouched = [&](const char* what) {
        EXPECT_EQ(readAll(QDir(out()).filePath("releases.csv")), "old") << what;
        EXPECT_FALSE(QFile::exists(QDir(out()).filePath("tracks.csv"))) << what;
        EXPECT_EQ(
            QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"src"})
            << what << ": no temporary folder is left behind";
    };
    const std::string xml = readAll(fixture("releases.xml"));
    const size_t cut = xml.find("<release id=\"777\"") + 40;
    const QString cutXml = m_dir.filePath("cut.xml");
    writeAll(cutXml, xml.substr(0, cut));
    DiscogsImportOptions o = options();
    o.releases = cutXml;
    QString error;
    EXPECT_FALSE(run(o, &error));
    EXPECT_EQ(
        error,
        QStringLiteral(
            "%1: the XML ends early, at byte %2, inside the record that starts at byte %3 (id 777)")
            .arg(cutXml)
            .arg(cut)
            .arg(cut - 40));
    QFile::remove(cutXml);
    untouched("cut XML");

    const std::string gz = gzipped(xml);
    const QString cutGz = m_dir.filePath("cut.xml.gz");
    writeAll(cutGz, gz.substr(0, gz.size() - 10));
    o.releases = cutGz;
    EXPECT_FALSE(run(o, &error));
    EXPECT_EQ(error,
              QStringLiteral(
                  "%1: the compressed data ends early, at byte %2 of the file: it is incomplete")
                  .arg(cutGz)
                  .arg(gz.size() - 10));
    QFile::remove(cutGz);
    untouched("cut gzip");

    o = options();
    o.releases = fixture("masters.xml");
    EXPECT_FALSE(run(o, &error));
    EXPECT_EQ(error,
              fixture("masters.xml") +
                  ": this is not a releases dump: its root element is <masters>, not <releases>");
    o = options();
    o.artists = m_dir.filePath("nowhere.xml.gz");
    EXPECT_FALSE(run(o, &error));
    EXPECT_EQ(error, m_dir.filePath("nowhere.xml.gz") + ": the artists dump is not there");
    untouched("wrong files");

    // A good import replaces the four sources and nothing else.
    const QString goodGz = m_dir.filePath("releases.xml.gz");
    writeAll(goodGz, gzipped(xml));
    o = options();
    o.releases = goodGz;
    run(o);
    QFile::remove(goodGz);
    EXPECT_EQ(readAll(QDir(out()).filePath("notes.txt")), "mine");
    EXPECT_EQ(lines(out(), "releases.csv").size(), 6u);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"src"});
}

// A dump of a few thousand releases with the text the dumps hold at their worst: quotes,
// commas, separators of the title format, control characters, very long titles, odd
// positions. Whatever it holds, the folder compiles and every release is found.
TEST_F(DiscogsImportTest, GeneratedDumpAlwaysCompilesAndKeepsEveryRelease) {
    std::mt19937 rnd(7);
    const std::vector<std::string> texts = {"Plain",
                                            "Comma, Inside",
                                            "\"Quoted\" &amp; more",
                                            "Pipe | and ^ caret",
                                            "Tab&#9;and&#13;&#10;breaks",
                                            "\xC3\x9C"
                                            "ber Caf\xC3\xA9",
                                            std::string(3000, 'L'),
                                            " ",
                                            "The Name (3)"};
    const std::vector<std::string> positions = {"1",    "A1", "B",     "CD2-3", "1-1",
                                                "11.a", "",   "Video", "3b"};
    const std::vector<std::string> durations = {"3:00", "", "1:02:03", "bad", "75:00"};
    auto pick = [&](const std::vector<std::string>& v) { return v[rnd() % v.size()]; };
    auto inAttribute = [](std::string s) {
        for (size_t at = s.find('"'); at != std::string::npos; at = s.find('"', at))
            s.replace(at, 1, "&quot;");
        return s;
    };
    std::string xml = "<releases>\n";
    std::set<std::string> catalogueNumbers;
    std::set<uint32_t> masters;
    const int releases = 3000;
    for (int id = 1; id <= releases; ++id) {
        const uint32_t master = rnd() % 3 ? 0 : 1 + rnd() % 400;
        const std::string cat = "CAT " + std::to_string(id) + (rnd() % 5 ? "" : ", \"x\"");
        catalogueNumbers.insert(cat);
        if (master) masters.insert(master);
        xml +=
            "<release id=\"" + std::to_string(id) + "\" status=\"Accepted\"><artists><artist><id>" +
            std::to_string(1 + rnd() % 50) + "</id><name>" + pick(texts) +
            "A</name></artist></artists><title>" + pick(texts) + "T</title><labels><label name=\"" +
            inAttribute(pick(texts)) + "\" catno=\"" +
            (cat.find('"') == std::string::npos ? cat
                                                : "CAT " + std::to_string(id) + ", &quot;x&quot;") +
            "\"/></labels><genres><genre>" + pick(texts) + "</genre></genres><released>19" +
            std::to_string(rnd() % 100) + "</released>";
        if (master)
            xml += std::string("<master_id is_main_release=\"") + (rnd() % 4 ? "false" : "true") +
                   "\">" + std::to_string(master) + "</master_id>";
        xml += "<tracklist>";
        for (int t = rnd() % 12; t > 0; --t)
            xml += "<track><position>" + pick(positions) + "</position><title>" + pick(texts) +
                   "</title><duration>" + pick(durations) + "</duration><artists><artist><id>" +
                   std::to_string(1 + rnd() % 60) + "</id><name>N" + pick(texts) +
                   "</name></artist></artists></track>";
        xml += "</tracklist></release>\n";
    }
    xml += "</releases>\n";
    const QString path = m_dir.filePath("generated.xml.gz");
    writeAll(path, gzipped(xml, 1));
    DiscogsImportOptions o;
    o.outDir = out();
    o.releases = path;
    uint64_t progressCalls = 0;
    o.progress = [&](const ImportProgress& p) {
        ++progressCalls;
        EXPECT_LE(p.filePosition, p.fileSize);
    };
    run(o);
    EXPECT_GT(progressCalls, 0u);
    EXPECT_EQ(m_report.skipped, 0u) << m_report.text(out()).toStdString();
    EXPECT_EQ(m_report.releaseRows, uint64_t(releases));

    std::set<std::string> written;
    for (const auto& r : rows(QDir(out()).filePath("releases.csv"), {"catalogue_number"}))
        written.insert(r.at("catalogue_number"));
    EXPECT_EQ(written, catalogueNumbers);
    std::set<std::string> albums;
    for (const auto& r : rows(QDir(out()).filePath("recordings.csv"), {"album_id"}))
        albums.insert(r.at("album_id"));
    for (uint32_t m : masters)
        EXPECT_TRUE(albums.count(std::to_string(m))) << "master " << m << " is a recording";

    const MVHandle t = catalogueFrom(out());
    ASSERT_NE(t, 0);
    // Every recording's page lists its releases.
    uint64_t listed = 0;
    for (const std::string& a : albums) {
        const QStringList parts = identification(t, QString::fromStdString("R_" + a)).split(u'|');
        ASSERT_GE(parts.size(), 4) << a;
        listed += parts[3].toULongLong();
    }
    EXPECT_EQ(listed, uint64_t(releases));

    // Every release's number finds it as the collector types it, blanks and dashes or not.
    const MVHandle numbers = wheel(t, wheel::code(wheel::CatalogueNumbers));
    ASSERT_NE(numbers, 0);
    for (int id = 1; id <= releases; id += 7) {
        const QString compact = QStringLiteral("CAT%1").arg(id);
        const QStringList found = search(numbers, QStringLiteral("cat-%1").arg(id));
        ASSERT_EQ(found.size(), 1) << id;
        EXPECT_TRUE(found[0].endsWith(u':' + compact)) << found[0].toStdString();
        EXPECT_EQ(keywordAt(numbers, lMVWordWheelPrefix(numbers, QStringLiteral("Cat %1").arg(id))),
                  compact);
        EXPECT_EQ(nMVKeyIndexGetCount(numbers, compact), 1) << "one release, one recording";
    }
}

TEST_F(DiscogsImportTest, InterruptedImportWritesNothing) {
    std::string xml = "<releases>";
    for (int id = 1; id <= 5000; ++id)
        xml += "<release id=\"" + std::to_string(id) +
               "\"><artists><artist><id>1</id><name>A</name></artist>"
               "</artists><title>T</title></release>";
    xml += "</releases>";
    const QString path = m_dir.filePath("r.xml");
    writeAll(path, xml);
    std::atomic<bool> stop{true};
    DiscogsImportOptions o;
    o.outDir = out();
    o.releases = path;
    o.cancel = &stop;
    QString error;
    EXPECT_FALSE(run(o, &error));
    EXPECT_EQ(error, "interrupted");
    EXPECT_FALSE(QFileInfo::exists(out()));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"r.xml"});
}

} // namespace
