// Typing latency of the search screen over a title of 10 million artist keywords: the real
// frmSearch, offscreen, typing names letter by letter in quick-search mode (each key
// positions the whole list) and in wildcard mode (two letters and more narrow the list to
// the matches). Each key is timed from the key press to the keyword grid having painted its
// new first rows. The peer is the same measurement over a SQLite-backed model of the same
// keywords, driven by the same grid and the same search step.
//
//   bench_search --benchmark_repetitions=3
//
// The titles and the SQLite file are generated once into $KV_SEARCH_BENCH_DIR (default
// /tmp/kv-search-bench) and reused; KV_SEARCH_BENCH_KEYWORDS sets the size (default 10000000).

#include "platform/AppContext.h"
#include "platform/qt/QtServices.h"
#include "search/UnboundGrid.h"
#include "search/frmSearch.h"
#include "titles/TitleViewer.h"
#include "titles/engine/Compiler.h"
#include "titles/engine/Fold.h"
#include "titles/engine/SplitMix64.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/ViewerLibrary.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace kv;

namespace {

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "bench_search: %s\n", why.c_str());
    std::exit(2);
}

QString benchDir() {
    const QByteArray d = qgetenv("KV_SEARCH_BENCH_DIR");
    return d.isEmpty() ? QStringLiteral("/tmp/kv-search-bench") : QString::fromLocal8Bit(d);
}

uint32_t keywordCount() {
    bool ok = false;
    const uint32_t n = qEnvironmentVariable("KV_SEARCH_BENCH_KEYWORDS").toUInt(&ok);
    return ok && n > 0 ? n : 10'000'000u;
}

// ---- The catalogue ----

using Rng = kv::title::SplitMix64;

const char* const kFirstNames[] = {
    "Ada",   "Alan",  "Alice",  "Amir",  "Ana",  "Anna",  "Arlo",  "Ben",  "Bess", "Bill",
    "Bo",    "Carla", "Carlos", "Cass",  "Chen", "Chloe", "Clara", "Dan",  "Dara", "Dave",
    "Della", "Dina",  "Eddie",  "Elena", "Eli",  "Ella",  "Emil",  "Erin", "Eva",  "Felix",
    "Fern",  "Finn",  "Frank",  "Gail",  "Gus",  "Hana",  "Hank",  "Ida",  "Ike",  "Ines",
    "Iris",  "Ivan",  "Jack",   "Jade",  "Jan",  "Jay",   "Jess",  "Jim",  "Joan", "Joe",
    "June",  "Kai",   "Kate",   "Ken",   "Kim",  "Lars",  "Lea",   "Leo",  "Lily", "Lou",
    "Lucy",  "Mae",   "Marco",  "Maria", "Mark", "Max",   "Mia",   "Mike", "Mina", "Ned",
    "Nell",  "Nico",  "Nina",   "Noel",  "Nora", "Olive", "Omar",  "Otis", "Pam",  "Paul",
    "Pia",   "Ray",   "Rita",   "Rob",   "Rosa", "Roy",   "Ruth",  "Sam",  "Sara", "Sean",
    "Sid",   "Sofia", "Tara",   "Ted",   "Tess", "Tim",   "Tom",   "Uma",  "Vera", "Vic",
    "Wes",   "Will",  "Yara",   "Yves",  "Zack", "Zoe"};
const char* const kOnsets[] = {"b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",  "l",
                               "m",  "n",  "p",  "r",  "s",  "t",  "v",  "w",  "z",
                               "br", "ch", "cl", "cr", "dr", "fl", "fr", "gr", "pl",
                               "pr", "sh", "sl", "st", "th", "tr", ""};
const char* const kVowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ou", "y", "ee"};
const char* const kCodas[] = {"",   "",   "n",  "r",  "l", "s", "t",
                              "ck", "nd", "rt", "ll", "m", "x", "ng"};

template <size_t N> const char* pick(const char* const (&list)[N], Rng& r) {
    return list[r.below(N)];
}

std::string surname(Rng& r) {
    std::string s;
    const int syllables = 1 + int(r.below(3));
    for (int i = 0; i < syllables; ++i)
        s += std::string(pick(kOnsets, r)) + pick(kVowels, r) + pick(kCodas, r);
    s[0] = char(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

// A title shaped like the catalogue: the artists' wheel ("|1", also opened as "|5" and "|7")
// holds `n` names, each filed under one to three recording topics; albums and tracks have
// a few keywords each.
void makeArtistTitle(uint32_t n, const QString& path) {
    Rng r(uint64_t(n) * 104729u + 7u);
    std::vector<std::string> surnames;
    surnames.reserve(300000);
    for (int i = 0; i < 300000; ++i)
        surnames.push_back(surname(r));
    // Common names are common: a squared draw leans towards the front of the list.
    const auto commonSurname = [&]() -> const std::string& {
        const double u = r.unit();
        return surnames[size_t(u * u * double(surnames.size()))];
    };

    title::TitleWriter w;
    const uint32_t topics = std::max<uint32_t>(1, std::min<uint32_t>(n / 4, 250000));
    w.setContents(w.addTopic('M', "M_CONTENTS", "Contents", "00000000M|Contents", ""));
    for (uint32_t t = 0; t < topics; ++t) {
        char id[16];
        std::snprintf(id, sizeof id, "%08uR", t + 1);
        const std::string name = "Recording " + std::to_string(t + 1);
        w.addTopic('R', "R_" + std::to_string(t + 1), name,
                   std::string(id) + "|" + name + "|Artist|0", "");
    }
    const int artists = w.addWheel('1', "Artists");
    w.addAlias('5', "Artist Search", artists);
    w.addAlias('7', "Artists (no compilations)", artists);
    const int albums = w.addWheel('2', "Albums");
    const int tracks = w.addWheel('3', "Tracks");
    w.addAlias('6', "Track Search", tracks);
    for (int i = 0; i < 50; ++i) {
        w.file(albums, w.keyword(albums, "Album " + std::to_string(i)), 1 + uint32_t(i) % topics);
        w.file(tracks, w.keyword(tracks, "Track " + std::to_string(i)), 1 + uint32_t(i) % topics);
    }

    std::string k;
    while (w.keywordCount(artists) < n) {
        const double shape = r.unit();
        if (shape < 0.55)
            k = std::string(pick(kFirstNames, r)) + " " + commonSurname();
        else if (shape < 0.75)
            k = commonSurname() + ", " + pick(kFirstNames, r);
        else if (shape < 0.9)
            k = "The " + commonSurname() + " " + commonSurname() + "s";
        else
            k = std::string(pick(kFirstNames, r)) + " " + commonSurname() + " & The " +
                commonSurname() + "s";
        const uint32_t id = w.keyword(artists, k);
        const int files = 1 + int(r.below(3));
        for (int f = 0; f < files; ++f)
            w.file(artists, id, 1 + r.below(topics));
    }
    w.addBaggage(title::kMarkerFile, "search bench\n");
    QString error;
    if (!w.write(path, &error)) die(error.toStdString());
}

QString titlePath(uint32_t n) {
    const QString path = benchDir() + QStringLiteral("/artists-%1.M14").arg(n);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(benchDir());
        std::fprintf(stderr, "generating %s\n", qPrintable(path));
        QElapsedTimer t;
        t.start();
        makeArtistTitle(n, path);
        std::fprintf(stderr, "  %u keywords in %.1f s\n", n, double(t.elapsed()) / 1000.0);
    }
    return path;
}

// ---- The SQLite peer ----

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
        die(std::string(sql) + ": " + (message ? message : "?"));
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) !=
            SQLITE_OK)
            die(std::string(sql) + ": " + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* operator*() const { return m_stmt; }
    void reset() const {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// The same keywords in wheel order: kw(pos, text, fold) with an index on the folded text,
// and ws(suffix, pos), the folded text from each later word start, for wildcard search.
void makeSqlite(const QString& title, const QString& path) {
    const MVHandle t = hMVTitleOpen(title);
    const MVHandle wheel = t ? hMVWordWheelOpenTitle(t, QStringLiteral("|1")) : 0;
    if (!wheel) die("cannot open " + title.toStdString());
    const qint32 n = lMVWordWheelLength(wheel);
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    sqlite3* db = nullptr;
    if (sqlite3_open(temp.toUtf8().constData(), &db) != SQLITE_OK)
        die("cannot create " + temp.toStdString());
    exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-1000000;");
    exec(db, "CREATE TABLE kw(pos INTEGER PRIMARY KEY, text TEXT NOT NULL, fold TEXT NOT NULL)");
    std::vector<std::pair<std::string, qint32>> suffixes;
    exec(db, "BEGIN");
    {
        Statement insert(db, "INSERT INTO kw(pos, text, fold) VALUES (?, ?, ?)");
        QString buffer;
        for (qint32 p = 0; p < n; ++p) {
            if (nMVWordWheelLookup(wheel, p, buffer, 262144) != 0) die("lookup failed");
            const std::string text = buffer.left(buffer.indexOf(QChar(0))).toStdString();
            const std::string fold = title::foldUtf8(text);
            sqlite3_bind_int(*insert, 1, p);
            sqlite3_bind_text(*insert, 2, text.data(), int(text.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(*insert, 3, fold.data(), int(fold.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(*insert) != SQLITE_DONE) die(sqlite3_errmsg(db));
            insert.reset();
            const std::vector<uint32_t> starts = title::wordStarts(fold);
            for (size_t i = 1; i < starts.size(); ++i)
                suffixes.emplace_back(fold.substr(starts[i]), p);
        }
    }
    exec(db, "CREATE INDEX kw_fold ON kw(fold)");
    std::sort(suffixes.begin(), suffixes.end());
    suffixes.erase(std::unique(suffixes.begin(), suffixes.end()), suffixes.end());
    exec(db, "CREATE TABLE ws(suffix TEXT NOT NULL, pos INTEGER NOT NULL,"
             " PRIMARY KEY(suffix, pos)) WITHOUT ROWID");
    {
        Statement insert(db, "INSERT INTO ws(suffix, pos) VALUES (?, ?)");
        for (const auto& [suffix, p] : suffixes) {
            sqlite3_bind_text(*insert, 1, suffix.data(), int(suffix.size()), SQLITE_STATIC);
            sqlite3_bind_int(*insert, 2, p);
            if (sqlite3_step(*insert) != SQLITE_DONE) die(sqlite3_errmsg(db));
            insert.reset();
        }
    }
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
    MVWordWheelClose(wheel);
    MVTitleClose(t);
    if (!QFile::rename(temp, path)) die("cannot rename " + temp.toStdString());
}

QString sqlitePath(uint32_t n) {
    const QString path = benchDir() + QStringLiteral("/artists-%1.sqlite").arg(n);
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "generating %s\n", qPrintable(path));
        QElapsedTimer t;
        t.start();
        makeSqlite(titlePath(n), path);
        std::fprintf(stderr, "  in %.1f s\n", double(t.elapsed()) / 1000.0);
    }
    return path;
}

// The search screen's keyword side over SQLite: the same unbound grid and the same search
// step (quick search positions; otherwise one character positions and two or more list the
// matches of "text*").
class SqliteKeywordScreen : public QWidget {
public:
    explicit SqliteKeywordScreen(const QString& path) {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK)
            die("cannot open " + path.toStdString());
        exec(m_db, "PRAGMA cache_size=-200000; PRAGMA mmap_size=4000000000;");
        m_count = std::make_unique<Statement>(m_db, "SELECT count(*) FROM kw");
        m_text = std::make_unique<Statement>(m_db, "SELECT text FROM kw WHERE pos = ?");
        m_prefix = std::make_unique<Statement>(
            m_db, "SELECT pos FROM kw WHERE fold >= ? ORDER BY fold LIMIT 1");
        m_search = std::make_unique<Statement>(
            m_db, "SELECT pos FROM kw WHERE fold >= ?1 AND fold < ?2 "
                  "UNION SELECT pos FROM ws WHERE suffix >= ?1 AND suffix < ?2 ORDER BY 1");
        sqlite3_step(**m_count);
        m_length = sqlite3_column_int(**m_count, 0);
        m_count->reset();

        box = new QLineEdit(this);
        grid = new UnboundGrid({QStringLiteral("Key Word")}, this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(box);
        layout->addWidget(grid);
        grid->setRowProvider([this](qint32 row, int) { return rowText(row); });
        connect(box, &QLineEdit::textEdited, this, [this] { step(); });
        listAll();
    }
    ~SqliteKeywordScreen() override {
        m_count.reset();
        m_text.reset();
        m_prefix.reset();
        m_search.reset();
        sqlite3_close(m_db);
    }

    bool quick = true;
    QLineEdit* box;
    UnboundGrid* grid;

private:
    QString rowText(qint32 row) {
        const qint32 pos =
            m_listMode ? row : (row < qint32(m_matches.size()) ? m_matches[size_t(row)] : -1);
        if (pos < 0) return QString();
        sqlite3_bind_int(**m_text, 1, pos);
        QString text;
        if (sqlite3_step(**m_text) == SQLITE_ROW)
            text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(**m_text, 0)),
                                  sqlite3_column_bytes(**m_text, 0));
        m_text->reset();
        return text.trimmed();
    }
    void listAll() {
        m_listMode = true;
        m_matches.clear();
        grid->bind(m_length);
        grid->positionOn(0);
        grid->refresh();
    }
    void position(const QString& text) {
        const std::string fold = title::foldUtf8(text.toStdString());
        sqlite3_bind_text(**m_prefix, 1, fold.data(), int(fold.size()), SQLITE_TRANSIENT);
        const qint32 row = sqlite3_step(**m_prefix) == SQLITE_ROW
                               ? sqlite3_column_int(**m_prefix, 0)
                               : m_length - 1;
        m_prefix->reset();
        grid->positionOn(row);
    }
    void search(const QString& text) {
        m_listMode = false;
        const std::string low = title::foldUtf8(text.toStdString());
        const std::string high = low + "\xF4\x8F\xBF\xBF";
        sqlite3_bind_text(**m_search, 1, low.data(), int(low.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(**m_search, 2, high.data(), int(high.size()), SQLITE_TRANSIENT);
        m_matches.clear();
        while (sqlite3_step(**m_search) == SQLITE_ROW)
            m_matches.push_back(sqlite3_column_int(**m_search, 0));
        m_search->reset();
        grid->bind(qint32(m_matches.size()));
        grid->positionOn(0);
        grid->refresh();
    }
    void step() {
        const QString text = box->text().trimmed();
        if (quick || text.size() <= 1) {
            if (!m_listMode) listAll();
            if (!text.isEmpty()) position(text);
        } else {
            search(text);
        }
    }

    sqlite3* m_db = nullptr;
    std::unique_ptr<Statement> m_count, m_text, m_prefix, m_search;
    qint32 m_length = 0;
    bool m_listMode = true;
    std::vector<qint32> m_matches;
};

// ---- Typing ----

class SilentMessages : public IMessageBox {
public:
    int show(const QString& text, int, const QString&) override {
        std::fprintf(stderr, "bench_search: unexpected message: %s\n", qPrintable(text));
        return mb::OK;
    }
    void beep() override {}
};

// Names to type: keywords from all over the wheel, up to their first 12 characters.
QStringList namesToType(uint32_t n) {
    const QString path = titlePath(n);
    const MVHandle t = hMVTitleOpen(path);
    const MVHandle wheel = hMVWordWheelOpenTitle(t, QStringLiteral("|1"));
    QStringList names;
    Rng r(42);
    QString buffer;
    for (int i = 0; i < 40; ++i) {
        nMVWordWheelLookup(wheel, qint32(r.below(n)), buffer, 261);
        names << buffer.left(buffer.indexOf(QChar(0))).left(12).trimmed();
    }
    MVWordWheelClose(wheel);
    MVTitleClose(t);
    return names;
}

struct KeyTime {
    double us;
    int typed; // characters in the box after the key
};

// Types every name letter by letter (the first letter replaces the last name) and returns
// each key's latency in microseconds: key press to the grid's first rows painted.
std::vector<KeyTime> typeNames(QLineEdit* box, UnboundGrid* grid, const QStringList& names) {
    std::vector<KeyTime> keys;
    QElapsedTimer timer;
    for (const QString& name : names) {
        box->selectAll();
        for (QChar c : name) {
            timer.start();
            QTest::keyClick(box, c.toLatin1());
            grid->view()->viewport()->repaint();
            keys.push_back(
                {double(timer.nsecsElapsed()) / 1000.0, int(box->text().trimmed().size())});
        }
    }
    return keys;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

// p50 and p99 of every key, and p99 by how much had been typed (one character positions,
// two runs the widest searches, three and more narrower ones).
void report(benchmark::State& state, const std::vector<KeyTime>& keys) {
    std::vector<double> all, two, more;
    for (const KeyTime& k : keys) {
        all.push_back(k.us);
        if (k.typed == 2) two.push_back(k.us);
        if (k.typed > 2) more.push_back(k.us);
    }
    state.counters["keys"] = double(all.size());
    state.counters["p50_us"] = percentile(all, 0.50);
    state.counters["p99_us"] = percentile(all, 0.99);
    state.counters["max_us"] = percentile(all, 1.0);
    state.counters["p99_2chars_us"] = percentile(two, 0.99);
    state.counters["p99_3plus_us"] = percentile(more, 0.99);
    state.counters["over16ms"] =
        double(std::count_if(all.begin(), all.end(), [](double us) { return us > 16000.0; }));
}

template <typename Type> void typeAndReport(benchmark::State& state, Type&& type) {
    std::vector<KeyTime> keys;
    for (auto _ : state) {
        const std::vector<KeyTime> run = type();
        double total = 0;
        for (const KeyTime& k : run)
            total += k.us;
        keys.insert(keys.end(), run.begin(), run.end());
        state.SetIterationTime(total / 1e6);
    }
    report(state, keys);
}

struct ScreenOnTitle {
    explicit ScreenOnTitle(const QString& path) {
        installQtServices(context.get());
        context->services.messages = std::make_unique<SilentMessages>();
        context->constants.rectScreenArea = QRect(16, 57, 600, 335);
        screen = std::make_unique<frmSearch>();
        screen->MvrDetails->setTitleFile(path);
        if (!screen->MvrDetails->titleHandle()) die("cannot open " + path.toStdString());
        screen->Form_Mode(2);
        screen->show();
        QApplication::processEvents();
        screen->setSearchType(0);
    }
    ScopedContext context;
    std::unique_ptr<frmSearch> screen;
};

void TypingWordWheel(benchmark::State& state) {
    const bool quick = state.range(0) != 0;
    const uint32_t n = keywordCount();
    const QStringList names = namesToType(n);
    ScreenOnTitle s(titlePath(n));
    s.context->options.QuickSearch[0] = quick;
    s.context->options.AutoSearch[0] = true;
    s.screen->refresh_Search();
    typeAndReport(state,
                  [&] { return typeNames(s.screen->txtKeyword, s.screen->TDBGrid1, names); });
    state.SetLabel(quick ? "quick search" : "wildcard search");
}

void TypingSqlite(benchmark::State& state) {
    const bool quick = state.range(0) != 0;
    const uint32_t n = keywordCount();
    const QStringList names = namesToType(n);
    SqliteKeywordScreen screen(sqlitePath(n));
    screen.quick = quick;
    screen.resize(184, 260);
    screen.show();
    QApplication::processEvents();
    typeAndReport(state, [&] { return typeNames(screen.box, screen.grid, names); });
    state.SetLabel(quick ? "quick search" : "wildcard search");
}

// Listing a whole index: the same on 10 keywords as on 10 million (argument 0).
void WholeIndex(benchmark::State& state) {
    const uint32_t n = state.range(0) > 0 ? uint32_t(state.range(0)) : keywordCount();
    ScreenOnTitle s(titlePath(n));
    for (auto _ : state) {
        s.screen->KeywordsFromIndex();
        s.screen->TDBGrid1->view()->viewport()->repaint();
    }
    state.counters["keywords"] = double(s.screen->keywordRowCount());
}

// The word-wheel search alone for every text of two or more characters the typing makes:
// what the wildcard keys spend in the engine.
void EngineSearch(benchmark::State& state) {
    const uint32_t n = keywordCount();
    const int typed = int(state.range(0));
    QStringList patterns;
    for (const QString& name : namesToType(n))
        for (int i = 2; i <= name.size(); ++i)
            if ((typed == 2) == (i == 2) && !name.left(i).trimmed().isEmpty())
                patterns << name.left(i).trimmed() + u'*';
    const MVHandle title = hMVTitleOpen(titlePath(n));
    const MVHandle wheel = hMVWordWheelOpenTitle(title, QStringLiteral("|5"));
    std::vector<double> times;
    double matches = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        for (const QString& pattern : patterns) {
            timer.start();
            const MVHandle group = MVWordWheelSearch(wheel, pattern, 0);
            const qint32 count = lMVGroupItemCount(group);
            times.push_back(double(timer.nsecsElapsed()) / 1000.0);
            matches += count;
            MVGroupFree(group);
        }
    }
    state.counters["patterns"] = double(patterns.size());
    state.counters["mean_matches"] = matches / double(times.size());
    state.counters["p50_us"] = percentile(times, 0.5);
    state.counters["p99_us"] = percentile(times, 0.99);
    MVWordWheelClose(wheel);
    MVTitleClose(title);
}

} // namespace

BENCHMARK(EngineSearch)
    ->Name("EngineSearch/2chars")
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(EngineSearch)
    ->Name("EngineSearch/3plus")
    ->Arg(3)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The report's own time is per key; manual time gives each run's typing time.
BENCHMARK(TypingWordWheel)
    ->Name("Typing/WordWheel")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TypingSqlite)
    ->Name("Typing/SQLite")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(WholeIndex)->Arg(10)->Arg(0)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Generate the data before anything is timed.
    titlePath(10);
    sqlitePath(keywordCount());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
