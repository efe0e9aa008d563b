#include "titles/import/DiscogsImport.h"

#include "titles/import/DiscogsText.h"
#include "titles/import/DumpInput.h"
#include "titles/import/XmlRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace kv::titleimport {

using namespace discogs;

namespace {

constexpr size_t kReportedSkips = 10;
constexpr const char* kOutputs[] = {"artists.csv", "recordings.csv", "releases.csv", "tracks.csv"};

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A few bits per id: which ids have been seen, kept, named... Grows with the largest id.
class IdSet {
public:
    bool test(uint32_t id) const {
        const size_t w = id >> 6;
        return w < m_words.size() && ((m_words[w] >> (id & 63)) & 1);
    }
    void set(uint32_t id) {
        const size_t w = id >> 6;
        if (w >= m_words.size())
            m_words.resize(std::max(w + 1, m_words.size() + m_words.size() / 2), 0);
        m_words[w] |= uint64_t(1) << (id & 63);
    }
    // Sets the bit and says whether it was set before.
    bool testAndSet(uint32_t id) {
        const bool was = test(id);
        if (!was) set(id);
        return was;
    }

private:
    std::vector<uint64_t> m_words;
};

// Buffered output to one file; the first error sticks and is reported at the end.
class Writer {
public:
    ~Writer() {
        if (m_f) std::fclose(m_f);
    }
    bool open(const QString& path) {
        m_path = path;
        m_f = std::fopen(QFile::encodeName(path).constData(), "wb");
        if (!m_f) {
            m_error = QStringLiteral("%1: cannot create: %2").arg(path, systemError());
            return false;
        }
        std::setvbuf(m_f, nullptr, _IOFBF, 1 << 20);
        return true;
    }
    void put(std::string_view s) {
        if (m_f && !s.empty() && std::fwrite(s.data(), 1, s.size(), m_f) != s.size() &&
            m_error.isEmpty())
            m_error = QStringLiteral("%1: cannot write: %2").arg(m_path, systemError());
    }
    void putU32(uint32_t v) { put(std::string_view(reinterpret_cast<const char*>(&v), sizeof v)); }
    // Flushes and, for files that must survive a crash, syncs them to the disk.
    bool close(bool sync) {
        if (!m_f) return m_error.isEmpty();
        if (std::fflush(m_f) != 0 && m_error.isEmpty())
            m_error = QStringLiteral("%1: cannot write: %2").arg(m_path, systemError());
        if (sync && ::fsync(fileno(m_f)) != 0 && m_error.isEmpty())
            m_error = QStringLiteral("%1: cannot write: %2").arg(m_path, systemError());
        if (std::fclose(m_f) != 0 && m_error.isEmpty())
            m_error = QStringLiteral("%1: cannot write: %2").arg(m_path, systemError());
        m_f = nullptr;
        return m_error.isEmpty();
    }
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

private:
    std::FILE* m_f = nullptr;
    QString m_path;
    QString m_error;
};

class Reader {
public:
    ~Reader() {
        if (m_f) std::fclose(m_f);
    }
    bool open(const QString& path) {
        m_f = std::fopen(QFile::encodeName(path).constData(), "rb");
        if (m_f) std::setvbuf(m_f, nullptr, _IOFBF, 1 << 20);
        return m_f != nullptr;
    }
    bool get(void* p, size_t n) { return n == 0 || std::fread(p, 1, n, m_f) == n; }
    bool getU32(uint32_t& v) { return get(&v, sizeof v); }
    bool get(std::string& s, uint32_t n) {
        s.resize(n);
        return get(s.data(), n);
    }

private:
    std::FILE* m_f = nullptr;
};

bool number(std::string_view s, uint32_t max, uint32_t& out) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\n' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\n' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v == 0 || v > max) return false;
    out = uint32_t(v);
    return true;
}

void appendNumber(std::string& out, uint64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, size_t(r.ptr - buf));
}

// Appends one CSV row field by field; text is quoted when it needs it (it never holds a line
// break: cleanText saw to that).
class Row {
public:
    explicit Row(std::string& out) : m_out(out) {}
    Row& text(std::string_view s) {
        separate();
        if (s.find_first_of(",\"") == std::string_view::npos) {
            m_out += s;
            return *this;
        }
        m_out += '"';
        for (char c : s) {
            if (c == '"') m_out += '"';
            m_out += c;
        }
        m_out += '"';
        return *this;
    }
    Row& number(uint64_t v) {
        separate();
        appendNumber(m_out, v);
        return *this;
    }
    // A number, or an empty field when there is none.
    Row& number(uint64_t v, bool present) { return present ? number(v) : text({}); }
    void end() { m_out += '\n'; }

private:
    void separate() {
        if (!m_first) m_out += ',';
        m_first = false;
    }
    std::string& m_out;
    bool m_first = true;
};

std::vector<std::string> utf8List(const QStringList& l) {
    std::vector<std::string> out;
    for (const QString& s : l)
        if (!s.trimmed().isEmpty()) out.push_back(s.trimmed().toStdString());
    return out;
}

bool anyOf(const std::vector<std::string>& wanted, std::string_view value) {
    for (const std::string& w : wanted)
        if (equalsNoCase(w, value)) return true;
    return false;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && uint8_t(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && uint8_t(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

const QString kNotUtf8 = QStringLiteral("its text is not valid UTF-8");

// Adds `item` to a ", " list unless it is there already or the list would grow too long.
void appendOnce(std::string& list, std::string_view item) {
    if (item.empty() || list.size() + item.size() >= kMaxText) return;
    const std::string padded = ", " + list + ", ";
    if (padded.find(", " + std::string(item) + ", ") != std::string::npos) return;
    if (!list.empty()) list += ", ";
    list += item;
}


class Importer {
public:
    Importer(const DiscogsImportOptions& o, DiscogsImportReport& r)
        : m_o(o), m_report(r), m_genres(utf8List(o.genres)), m_styles(utf8List(o.styles)),
          m_countries(utf8List(o.countries)), m_formats(utf8List(o.formats)) {}

    bool run(QString* error);

private:
    struct Credit {
        uint32_t id = 0;
        std::string name;
    };
    using Handler = QString (Importer::*)(const XmlRecord&);

    bool prepare();
    bool readDump(const QString& path, const char* root, const char* kind, Handler handler,
                  uint64_t& count);
    void skip(const char* kind, std::string_view id, uint64_t offset, const QString& reason);
    bool join();
    bool finish();
    bool fail(const QString& message) {
        if (m_error.isEmpty()) m_error = message;
        return false;
    }
    bool writersOk();

    QString handleMaster(const XmlRecord& x);
    QString handleRelease(const XmlRecord& x);
    QString releaseRow(const XmlRecord& x, const XmlNode& r, uint32_t id, uint32_t album,
                       std::string_view released);
    void writeRecording(uint32_t master, bool isMain);
    QString handleArtist(const XmlRecord& x);

    bool passes(const XmlRecord& x, const XmlNode& r) const;
    bool firstCredit(const XmlRecord& x, const XmlNode* artists, Credit& out);
    QString buildTracks(const XmlRecord& x, const XmlNode& r, uint32_t album,
                        uint32_t releaseArtist);
    QString emitTrack(const XmlRecord& x, const XmlNode& t, uint32_t album, uint32_t releaseArtist,
                      TrackNumbering& numbering, bool isSub, const TrackNumbering::Place* parent);
    void name(const Credit& c);
    void artistLine(std::string& out, uint32_t id, std::string_view name);
    bool joined(std::string& out, const XmlRecord& x, const XmlNode* list, const char* item);

    const DiscogsImportOptions& m_o;
    DiscogsImportReport& m_report;
    const std::vector<std::string> m_genres, m_styles, m_countries, m_formats;
    QString m_error;
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_outTemp;
    Writer m_artists, m_recordings, m_releases, m_tracks;
    Writer m_mastersSpill, m_mainSpill, m_firstSpill, m_namesSpill;
    bool m_stop = false;

    std::vector<uint32_t> m_mainRelease; // by master id, from the masters file
    IdSet m_inMasters, m_releaseSeen, m_keptMaster, m_hasMain, m_firstSeen, m_recordingDone;
    IdSet m_named, m_referenced, m_artistDone;

    // Scratch of the record being handled; kept to reuse their memory.
    std::string m_text, m_title, m_trackTitle, m_line, m_recordingLine, m_trackLines, m_catalogue,
        m_labels, m_genreText;
    Credit m_credit, m_trackCredit;
    std::vector<uint32_t> m_trackArtists;
    std::vector<Credit> m_newNames;
    uint32_t m_trackCount = 0;
};

void Importer::skip(const char* kind, std::string_view id, uint64_t offset, const QString& reason) {
    ++m_report.skipped;
    if (m_report.firstSkipped.size() >= kReportedSkips) return;
    const QString who =
        !id.empty()
            ? QStringLiteral("%1 %2")
                  .arg(QString::fromUtf8(kind))
                  .arg(QString::fromUtf8(id.data(), qsizetype(std::min<size_t>(id.size(), 40))))
            : QStringLiteral("%1 at byte %2").arg(QString::fromUtf8(kind)).arg(offset);
    m_report.firstSkipped.push_back(who + QStringLiteral(": ") + reason);
}

bool Importer::writersOk() {
    for (const Writer* w : {&m_artists, &m_recordings, &m_releases, &m_tracks, &m_mastersSpill,
                            &m_mainSpill, &m_firstSpill, &m_namesSpill})
        if (!w->ok()) return fail(w->error());
    return true;
}

bool Importer::prepare() {
    const std::pair<const QString*, const char*> inputs[] = {
        {&m_o.releases, "releases"}, {&m_o.masters, "masters"}, {&m_o.artists, "artists"}};
    int fromStdin = 0;
    for (const auto& [path, what] : inputs) {
        if (path->isEmpty()) continue;
        if (*path == u"-") {
            ++fromStdin;
            continue;
        }
        const QFileInfo fi(*path);
        if (!fi.exists())
            return fail(
                QStringLiteral("%1: the %2 dump is not there").arg(*path, QString::fromUtf8(what)));
        if (fi.isDir() || !fi.isReadable())
            return fail(
                QStringLiteral("%1: cannot read the %2 dump").arg(*path, QString::fromUtf8(what)));
    }
    if (fromStdin > 1) return fail(QStringLiteral("only one dump can come from standard input"));
    if (m_o.releases.isEmpty()) return fail(QStringLiteral("the releases dump is required"));

    const QFileInfo out(m_o.outDir);
    if (out.exists() && !out.isDir())
        return fail(QStringLiteral("%1: is a file, not a folder").arg(m_o.outDir));
    const QString parent = out.absoluteDir().absolutePath();
    if (!QDir().mkpath(parent))
        return fail(QStringLiteral("%1: cannot create the folder").arg(parent));
    m_temp = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/.") + out.fileName() +
                                             QStringLiteral(".import-XXXXXX"));
    if (!m_temp->isValid())
        return fail(QStringLiteral("%1: cannot create a temporary folder: %2")
                        .arg(parent, m_temp->errorString()));
    m_outTemp = m_temp->filePath(QStringLiteral("out"));
    if (!QDir().mkdir(m_outTemp))
        return fail(QStringLiteral("%1: cannot create the folder").arg(m_outTemp));
    const QDir o(m_outTemp);
    if (!m_artists.open(o.filePath("artists.csv")) ||
        !m_recordings.open(o.filePath("recordings.csv")) ||
        !m_releases.open(o.filePath("releases.csv")) || !m_tracks.open(o.filePath("tracks.csv")) ||
        !m_mainSpill.open(m_temp->filePath("main.spill")) ||
        !m_firstSpill.open(m_temp->filePath("first.spill")) ||
        !m_namesSpill.open(m_temp->filePath("names.spill")) ||
        (!m_o.masters.isEmpty() && !m_mastersSpill.open(m_temp->filePath("masters.spill"))))
        return writersOk();
    m_artists.put("artist_id,name,sort_name,compilation\n");
    m_recordings.put("album_id,title,artist_id,year,genre\n");
    m_releases.put("album_id,catalogue_number,label,release_date,deleted_date,medium\n");
    m_tracks.put("album_id,disc,number,title,duration,artist_id\n");
    return true;
}

bool Importer::readDump(const QString& path, const char* root, const char* kind, Handler handler,
                        uint64_t& count) {
    // The limit ends the releases dump only: the artists read after it still name them.
    m_stop = false;
    DumpInput in;
    if (!in.open(path)) return fail(in.error());
    XmlRecordReader reader(in);
    if (!reader.start()) return fail(reader.error());
    if (reader.rootName() != root)
        return fail(QStringLiteral("%1: this is not a %2 dump: its root element is <%3>, not <%2>")
                        .arg(path, QString::fromUtf8(root),
                             QString::fromStdString(std::string(reader.rootName()))));
    ImportProgress progress;
    progress.file = path;
    auto tell = [&] {
        if (!m_o.progress) return;
        progress.records = count;
        progress.bytes = in.position();
        progress.filePosition = in.filePosition();
        progress.fileSize = in.fileSize();
        m_o.progress(progress);
    };
    for (uint64_t n = 1;; ++n) {
        const XmlRecordReader::Next next = reader.next();
        if (next == XmlRecordReader::Next::End) {
            // Read to the end of the file: a gzip file is checked (length and checksum) only
            // there, and a cut one must not pass for whole because its XML happens to be.
            std::string rest(1 << 16, '\0');
            int64_t n;
            while ((n = in.read(rest.data(), rest.size())) > 0) {
            }
            if (n < 0) return fail(in.error());
            break;
        }
        if (next == XmlRecordReader::Next::Failed) return fail(reader.error());
        ++count;
        if (next == XmlRecordReader::Next::Malformed) {
            skip(kind, reader.malformedId(), reader.recordOffset(),
                 QStringLiteral("malformed XML (%1)").arg(reader.error()));
        } else {
            const XmlRecord& x = reader.record();
            const QString why = (this->*handler)(x);
            if (!why.isEmpty()) {
                std::string_view id = x.attr(x.root(), "id");
                if (id.empty()) id = x.childText(x.root(), "id");
                skip(kind, trimmed(id), reader.recordOffset(), why);
            }
        }
        if ((n & 1023) == 0) {
            if (m_o.cancel && m_o.cancel->load()) return fail(QStringLiteral("interrupted"));
            if (!writersOk()) return false;
            if ((n & 4095) == 0) tell();
        }
        if (m_stop) {
            m_report.limitReached = true;
            break;
        }
    }
    tell();
    m_report.bytesRead += in.position();
    return writersOk();
}

bool Importer::joined(std::string& out, const XmlRecord& x, const XmlNode* list, const char* item) {
    out.clear();
    if (!list) return true;
    bool ok = true;
    x.forEach(*list, item, [&](const XmlNode& n) {
        if (!cleanText(n.text, m_text)) ok = false;
        if (m_text.empty() || out.size() + m_text.size() > kMaxText) return;
        // Keep each value once.
        for (size_t at = out.find(m_text); at != std::string::npos; at = out.find(m_text, at + 1))
            if ((at == 0 || out.compare(at - 2, 2, ", ") == 0) &&
                (at + m_text.size() == out.size() || out.compare(at + m_text.size(), 2, ", ") == 0))
                return;
        if (!out.empty()) out += ", ";
        out += m_text;
    });
    return ok;
}

bool Importer::firstCredit(const XmlRecord& x, const XmlNode* artists, Credit& out) {
    if (!artists) return false;
    bool found = false;
    x.forEach(*artists, "artist", [&](const XmlNode& a) {
        if (found) return;
        uint32_t id;
        if (!number(x.childText(a, "id"), kMaxArtistId, id)) return;
        if (!cleanText(x.childText(a, "name"), out.name) || out.name.empty()) return;
        out.id = id;
        found = true;
    });
    return found;
}

void Importer::name(const Credit& c) {
    if (m_named.testAndSet(c.id)) return;
    m_namesSpill.putU32(c.id);
    m_namesSpill.putU32(uint32_t(c.name.size()));
    m_namesSpill.put(c.name);
}

void Importer::artistLine(std::string& out, uint32_t id, std::string_view name) {
    std::string_view display = withoutNumberSuffix(name);
    if (display.empty()) display = name;
    out.clear();
    Row(out).number(id).text(display).text(sortName(display)).number(id == kVariousArtistId).end();
}

QString Importer::handleMaster(const XmlRecord& x) {
    const XmlNode& m = x.root();
    uint32_t id;
    if (!number(x.attr(m, "id"), kMaxMasterId, id))
        return QStringLiteral("its id is missing or not from 1 to %1").arg(kMaxMasterId);
    if (m_inMasters.testAndSet(id)) return QStringLiteral("it appears twice");
    if (!cleanText(x.childText(m, "title"), m_title)) return kNotUtf8;
    if (m_title.empty()) return QStringLiteral("it has no title");
    if (!firstCredit(x, x.child(m, "artists"), m_credit)) return QStringLiteral("it has no artist");
    if (!joined(m_genreText, x, x.child(m, "genres"), "genre")) return kNotUtf8;
    uint32_t mainRelease = 0, year = 0;
    if (number(x.childText(m, "main_release"), kMaxReleaseId, mainRelease)) {
        if (m_mainRelease.size() <= id)
            m_mainRelease.resize(std::max<size_t>(id + 1, m_mainRelease.size() * 3 / 2));
        m_mainRelease[id] = mainRelease;
    }
    m_line.clear();
    const bool hasYear = number(x.childText(m, "year"), 9999, year);
    Row(m_line)
        .number(id)
        .text(m_title)
        .number(m_credit.id)
        .number(year, hasYear)
        .text(m_genreText)
        .end();
    m_mastersSpill.putU32(id);
    m_mastersSpill.putU32(m_credit.id);
    m_mastersSpill.putU32(uint32_t(m_line.size()));
    m_mastersSpill.put(m_line);
    name(m_credit);
    return {};
}

bool Importer::passes(const XmlRecord& x, const XmlNode& r) const {
    auto anyChild = [&](const std::vector<std::string>& wanted, const char* list,
                        const char* item) {
        const XmlNode* l = x.child(r, list);
        bool hit = false;
        if (l)
            x.forEach(*l, item,
                      [&](const XmlNode& n) { hit = hit || anyOf(wanted, trimmed(n.text)); });
        return hit;
    };
    if (!m_genres.empty() && !anyChild(m_genres, "genres", "genre")) return false;
    if (!m_styles.empty() && !anyChild(m_styles, "styles", "style")) return false;
    if (!m_countries.empty() && !anyOf(m_countries, trimmed(x.childText(r, "country"))))
        return false;
    if (m_o.yearFrom || m_o.yearTo) {
        const int year = yearOf(x.childText(r, "released"));
        if (!year || (m_o.yearFrom && year < m_o.yearFrom) || (m_o.yearTo && year > m_o.yearTo))
            return false;
    }
    if (!m_formats.empty()) {
        const XmlNode* fs = x.child(r, "formats");
        bool hit = false;
        if (fs)
            x.forEach(*fs, "format", [&](const XmlNode& f) {
                hit = hit || anyOf(m_formats, trimmed(x.attr(f, "name")));
                if (const XmlNode* ds = x.child(f, "descriptions"))
                    x.forEach(*ds, "description", [&](const XmlNode& d) {
                        hit = hit || anyOf(m_formats, trimmed(d.text));
                    });
            });
        if (!hit) return false;
    }
    return true;
}

QString Importer::emitTrack(const XmlRecord& x, const XmlNode& t, uint32_t album,
                            uint32_t releaseArtist, TrackNumbering& numbering, bool isSub,
                            const TrackNumbering::Place* parent) {
    const std::string_view position = trimmed(x.childText(t, "position"));
    const int64_t seconds = parseDuration(x.childText(t, "duration"));
    const bool heading = position.empty() && trimmed(x.childText(t, "duration")).empty();
    TrackNumbering::Place place{};
    if (!heading) {
        place = isSub ? numbering.sub(position, parent) : numbering.next(position);
        if (!cleanText(x.childText(t, "title"), m_trackTitle)) return kNotUtf8;
        const bool ownArtist = firstCredit(x, x.child(t, "artists"), m_trackCredit) &&
                               m_trackCredit.id != releaseArtist;
        Row(m_trackLines)
            .number(album)
            .number(place.disc)
            .number(place.number)
            .text(m_trackTitle.empty() ? std::string_view("Untitled")
                                       : std::string_view(m_trackTitle))
            .number(uint64_t(seconds), seconds >= 0)
            .number(m_trackCredit.id, ownArtist)
            .end();
        if (ownArtist) {
            m_trackArtists.push_back(m_trackCredit.id);
            if (!m_named.test(m_trackCredit.id)) m_newNames.push_back(m_trackCredit);
        }
        ++m_trackCount;
    }
    if (const XmlNode* subs = x.child(t, "sub_tracks")) {
        QString why;
        x.forEach(*subs, "track", [&](const XmlNode& s) {
            if (why.isEmpty())
                why = emitTrack(x, s, album, releaseArtist, numbering, true,
                                heading ? nullptr : &place);
        });
        if (!why.isEmpty()) return why;
    }
    return {};
}

QString Importer::buildTracks(const XmlRecord& x, const XmlNode& r, uint32_t album,
                              uint32_t releaseArtist) {
    m_trackLines.clear();
    m_trackArtists.clear();
    m_trackCount = 0;
    const XmlNode* list = x.child(r, "tracklist");
    if (!list) return {};
    TrackNumbering numbering;
    QString why;
    x.forEach(*list, "track", [&](const XmlNode& t) {
        if (why.isEmpty()) why = emitTrack(x, t, album, releaseArtist, numbering, false, nullptr);
    });
    return why;
}

// The release's row of releases.csv into m_line: catalogue numbers and labels of all its
// labels, each once; "none" is Discogs' word for a release without one.
QString Importer::releaseRow(const XmlRecord& x, const XmlNode& r, uint32_t id, uint32_t album,
                             std::string_view released) {
    m_catalogue.clear();
    m_labels.clear();
    bool utf8 = true;
    if (const XmlNode* labels = x.child(r, "labels"))
        x.forEach(*labels, "label", [&](const XmlNode& l) {
            utf8 = cleanText(x.attr(l, "catno"), m_text) && utf8;
            if (!equalsNoCase(m_text, "none")) appendOnce(m_catalogue, m_text);
            utf8 = cleanText(x.attr(l, "name"), m_text) && utf8;
            appendOnce(m_labels, withoutNumberSuffix(m_text));
        });
    if (!utf8) return kNotUtf8;
    if (m_catalogue.empty()) {
        // Unique, so that a collection can hold several releases without a number.
        m_catalogue = "[r";
        appendNumber(m_catalogue, id);
        m_catalogue += ']';
    }
    m_line.clear();
    Row(m_line)
        .number(album)
        .text(m_catalogue)
        .text(m_labels)
        .text(releaseDate(released))
        .text({})
        .text(medium(x, x.child(r, "formats")))
        .end();
    return {};
}

// The recording made from the release, once everything about it was checked: its names, and
// its rows written (a release without a master) or kept until the master's best release is
// known.
void Importer::writeRecording(uint32_t master, bool isMain) {
    name(m_credit);
    for (const Credit& c : m_newNames)
        name(c);
    if (!master) {
        m_recordings.put(m_recordingLine);
        m_tracks.put(m_trackLines);
        ++m_report.recordings;
        m_report.tracks += m_trackCount;
        m_referenced.set(m_credit.id);
        for (uint32_t a : m_trackArtists)
            m_referenced.set(a);
        return;
    }
    Writer& spill = isMain ? m_mainSpill : m_firstSpill;
    (isMain ? m_hasMain : m_firstSeen).set(master);
    spill.putU32(master);
    spill.putU32(m_credit.id);
    spill.putU32(m_trackCount);
    spill.putU32(uint32_t(m_trackArtists.size()));
    for (uint32_t a : m_trackArtists)
        spill.putU32(a);
    spill.putU32(uint32_t(m_recordingLine.size()));
    spill.putU32(uint32_t(m_trackLines.size()));
    spill.put(m_recordingLine);
    spill.put(m_trackLines);
}

QString Importer::handleRelease(const XmlRecord& x) {
    const XmlNode& r = x.root();
    uint32_t id;
    if (!number(x.attr(r, "id"), kMaxReleaseId, id))
        return QStringLiteral("its id is missing or not from 1 to %1").arg(kMaxReleaseId);
    if (m_releaseSeen.testAndSet(id)) return QStringLiteral("it appears twice");
    bool hasStatus;
    const std::string_view status = x.attr(r, "status", &hasStatus);
    if (hasStatus && status != "Accepted") {
        ++m_report.releasesNotAccepted;
        return {};
    }

    uint32_t master = 0;
    bool isMain = false;
    if (const XmlNode* m = x.child(r, "master_id"); m && !trimmed(m->text).empty()) {
        if (!number(m->text, kMaxMasterId, master))
            return QStringLiteral("its master id is not from 1 to %1").arg(kMaxMasterId);
        isMain = x.attr(*m, "is_main_release") == "true";
    }
    if (master && master < m_mainRelease.size() && m_mainRelease[master] != 0)
        isMain = m_mainRelease[master] == id;

    const bool kept = passes(x, r);
    const bool candidate = master && (isMain ? !m_hasMain.test(master) : !m_firstSeen.test(master));
    if (!kept) ++m_report.releasesFiltered;
    if (!kept && !candidate) return {};

    if (!cleanText(x.childText(r, "title"), m_title)) return kNotUtf8;
    if (m_title.empty()) return QStringLiteral("it has no title");
    if (!firstCredit(x, x.child(r, "artists"), m_credit)) return QStringLiteral("it has no artist");
    const uint32_t album = master ? master : kReleaseAlbumBase + id;
    const std::string_view released = x.childText(r, "released");

    if (kept) {
        const QString why = releaseRow(x, r, id, album, released);
        if (!why.isEmpty()) return why;
    }
    const bool recording = !master || candidate;
    m_newNames.clear();
    if (recording) {
        if (!joined(m_genreText, x, x.child(r, "genres"), "genre")) return kNotUtf8;
        const QString why = buildTracks(x, r, album, m_credit.id);
        if (!why.isEmpty()) return why;
        m_recordingLine.clear();
        const int year = yearOf(released);
        Row(m_recordingLine)
            .number(album)
            .text(m_title)
            .number(m_credit.id)
            .number(uint64_t(year), year > 0)
            .text(m_genreText)
            .end();
    }

    // Everything checked: write.
    if (kept) {
        m_releases.put(m_line);
        ++m_report.releasesKept;
        ++m_report.releaseRows;
        if (master) m_keptMaster.set(master);
        if (m_o.limit && m_report.releasesKept >= m_o.limit) m_stop = true;
    }
    if (recording) writeRecording(master, isMain);
    return {};
}

QString Importer::handleArtist(const XmlRecord& x) {
    uint32_t id;
    if (!number(x.childText(x.root(), "id"), kMaxArtistId, id))
        return QStringLiteral("its id is missing or not from 1 to %1").arg(kMaxArtistId);
    if (!m_referenced.test(id) || m_artistDone.test(id)) return {};
    if (!cleanText(x.childText(x.root(), "name"), m_text)) return kNotUtf8;
    if (m_text.empty()) return QStringLiteral("it has no name");
    m_artistDone.set(id);
    artistLine(m_line, id, m_text);
    m_artists.put(m_line);
    ++m_report.artists;
    return {};
}

// One recording per master that kept a release: its title, artist, year and genre from the
// masters file when it has the master, else from the main release, else from the first
// release of the master in the file; its tracks from that same release.
bool Importer::join() {
    if (!m_mastersSpill.close(false) || !m_mainSpill.close(false) || !m_firstSpill.close(false) ||
        !m_namesSpill.close(false))
        return writersOk();
    auto recording = [&](uint32_t master, uint32_t artist, const std::string& line) {
        if (m_recordingDone.testAndSet(master)) return;
        m_recordings.put(line);
        m_referenced.set(artist);
        ++m_report.recordings;
    };
    std::string line, tracks;
    if (!m_o.masters.isEmpty()) {
        Reader in;
        if (!in.open(m_temp->filePath("masters.spill")))
            return fail(QStringLiteral("cannot read back a temporary file"));
        uint32_t master, artist, length;
        while (in.getU32(master) && in.getU32(artist) && in.getU32(length) && in.get(line, length))
            if (m_keptMaster.test(master)) recording(master, artist, line);
    }
    for (const bool main : {true, false}) {
        Reader in;
        if (!in.open(m_temp->filePath(main ? "main.spill" : "first.spill")))
            return fail(QStringLiteral("cannot read back a temporary file"));
        uint32_t master, artist, trackCount, artistCount, lineLength, tracksLength;
        std::vector<uint32_t> artists;
        while (in.getU32(master) && in.getU32(artist) && in.getU32(trackCount) &&
               in.getU32(artistCount)) {
            artists.resize(artistCount);
            if (!in.get(artists.data(), artistCount * sizeof(uint32_t)) || !in.getU32(lineLength) ||
                !in.getU32(tracksLength) || !in.get(line, lineLength) ||
                !in.get(tracks, tracksLength))
                return fail(QStringLiteral("a temporary file was cut short"));
            if (!m_keptMaster.test(master) || (!main && m_hasMain.test(master))) continue;
            recording(master, artist, line);
            m_tracks.put(tracks);
            m_report.tracks += trackCount;
            for (uint32_t a : artists)
                m_referenced.set(a);
        }
        if (m_o.cancel && m_o.cancel->load()) return fail(QStringLiteral("interrupted"));
    }
    return writersOk();
}

bool Importer::finish() {
    // Every artist named in the output gets its row: from the artists file when it was
    // given and has it, else under the name the releases credit.
    Reader in;
    if (!in.open(m_temp->filePath("names.spill")))
        return fail(QStringLiteral("cannot read back a temporary file"));
    uint32_t id, length;
    std::string name, row;
    while (in.getU32(id) && in.getU32(length) && in.get(name, length)) {
        if (!m_referenced.test(id) || m_artistDone.testAndSet(id)) continue;
        artistLine(row, id, name);
        m_artists.put(row);
        ++m_report.artists;
    }
    for (Writer* w : {&m_artists, &m_recordings, &m_releases, &m_tracks})
        if (!w->close(true)) return fail(w->error());

    const QFileInfo out(m_o.outDir);
    if (!out.exists()) {
        if (::rename(QFile::encodeName(m_outTemp).constData(),
                     QFile::encodeName(m_o.outDir).constData()) != 0)
            return fail(QStringLiteral("%1: cannot create: %2").arg(m_o.outDir, systemError()));
        return true;
    }
    for (const char* f : kOutputs) {
        const QString from = m_outTemp + u'/' + QString::fromLatin1(f);
        const QString to = QDir(m_o.outDir).filePath(QString::fromLatin1(f));
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            return fail(QStringLiteral("%1: cannot replace: %2").arg(to, systemError()));
    }
    return true;
}

bool Importer::run(QString* error) {
    const bool ok =
        prepare() &&
        (m_o.masters.isEmpty() || readDump(m_o.masters, "masters", "master",
                                           &Importer::handleMaster, m_report.mastersRead)) &&
        readDump(m_o.releases, "releases", "release", &Importer::handleRelease,
                 m_report.releasesRead) &&
        join() &&
        (m_o.artists.isEmpty() || readDump(m_o.artists, "artists", "artist",
                                           &Importer::handleArtist, m_report.artistsRead)) &&
        finish();
    if (!ok && error) *error = m_error;
    return ok;
}

// "1,234,567": figures as the report prints them, whatever the user's locale.
QString thousands(uint64_t n) {
    return QLocale(QLocale::English).toString(qulonglong(n));
}

} // namespace

QString DiscogsImportReport::text(const QString& outDir) const {
    QString t;
    if (mastersRead) t += QStringLiteral("Read %1 masters.\n").arg(thousands(mastersRead));
    t += QStringLiteral("Read %1 releases: %2 kept")
             .arg(thousands(releasesRead), thousands(releasesKept));
    if (releasesFiltered)
        t += QStringLiteral(", %1 left out by the filters").arg(thousands(releasesFiltered));
    if (releasesNotAccepted)
        t += QStringLiteral(", %1 not accepted on Discogs").arg(thousands(releasesNotAccepted));
    t += limitReached ? QStringLiteral(" (stopped at the limit).\n") : QStringLiteral(".\n");
    if (artistsRead) t += QStringLiteral("Read %1 artists.\n").arg(thousands(artistsRead));
    t += QStringLiteral("Wrote %1: %2 recordings, %3 releases, %4 tracks, %5 artists.\n")
             .arg(outDir, thousands(recordings), thousands(releaseRows), thousands(tracks),
                  thousands(artists));
    if (skipped) {
        t += QStringLiteral("Skipped %1 malformed record%2:\n")
                 .arg(thousands(skipped), skipped == 1 ? "" : "s");
        for (const QString& s : firstSkipped)
            t += QStringLiteral("  ") + s + u'\n';
        if (skipped > firstSkipped.size())
            t += QStringLiteral("  and %1 more\n").arg(thousands(skipped - firstSkipped.size()));
    }
    return t;
}

bool importDiscogs(const DiscogsImportOptions& options, DiscogsImportReport& report,
                   QString* error) {
    report = {};
    Importer importer(options, report);
    return importer.run(error);
}

} // namespace kv::titleimport
