// Benchmarks of the title engine against SQLite, on wheels of 1 and 10 million generated
// keywords (Zipf-distributed words from a synthetic vocabulary). Every engine gets the same
// data, and every query's answer is checked to be identical before anything is timed.
//
//   taskset -c 1 bench_title --benchmark_repetitions=5
//       --benchmark_enable_random_interleaving=true
//
// Data is generated once into $KV_BENCH_DIR (default /tmp/kv-titles-bench) and reused.
// KV_BENCH_SIZES picks the wheel sizes in millions (default "1,10"); KV_BENCH_COMPILE_ARTISTS
// the size of the demo catalogue whose compile is measured (default 40000); KV_BENCH_NO_PEERS=1
// times our engine alone.
// `bench_title --make-wheel N PATH` writes a wheel title and exits (used to measure the
// compile in a child process).

#include "titles/engine/Fold.h"
#include "titles/engine/SplitMix64.h"
#include "titles/engine/TitleFile.h"
#include "titles/engine/TitleFormat.h"
#include "titles/engine/TitleWriter.h"
#include "titles/engine/ViewerLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <random>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace kv;
using Clock = std::chrono::steady_clock;

namespace {

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "bench_title: %s\n", why.c_str());
    std::exit(2);
}

QString benchDir() {
    const QByteArray d = qgetenv("KV_BENCH_DIR");
    return d.isEmpty() ? QStringLiteral("/tmp/kv-titles-bench") : QString::fromLocal8Bit(d);
}

// ---- Data ----

using Rng = kv::title::SplitMix64;

// A vocabulary of pronounceable words, drawn with Zipf frequencies (s = 1.07, as in
// natural-language titles).
class Words {
public:
    explicit Words(uint32_t size) {
        static const char* const on[] = {"b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",  "l",  "m",
                                         "n",  "p",  "r",  "s",  "t",  "v",  "w",  "br", "st", "tr",
                                         "ch", "sh", "th", "gr", "cl", "fl", "pr", ""};
        static const char* const nu[] = {"a", "e", "i", "o", "u", "ai", "ea", "oo", "ou", "y"};
        static const char* const co[] = {"", "n", "r", "s", "t", "l", "ng", "ck", "rd", "st", "m"};
        Rng r(99);
        std::map<std::string, bool> seen;
        while (m_words.size() < size) {
            std::string w;
            const int syl = 1 + int(r.below(3));
            for (int i = 0; i < syl; ++i)
                w += std::string(on[r.below(28)]) + nu[r.below(10)] + co[r.below(11)];
            if (seen.emplace(w, true).second) m_words.push_back(w);
        }
        double total = 0;
        for (uint32_t i = 0; i < size; ++i)
            m_cdf.push_back(total += 1.0 / std::pow(double(i + 1), 1.07));
        for (double& c : m_cdf)
            c /= total;
    }
    const std::string& pick(Rng& r) const {
        const auto it = std::lower_bound(m_cdf.begin(), m_cdf.end(), r.unit());
        return m_words[std::min<size_t>(size_t(it - m_cdf.begin()), m_words.size() - 1)];
    }
    const std::vector<std::string>& all() const { return m_words; }

private:
    std::vector<std::string> m_words;
    std::vector<double> m_cdf;
};

std::string capitalised(std::string w) {
    if (!w.empty() && w[0] >= 'a' && w[0] <= 'z') w[0] = char(w[0] - 32);
    return w;
}

// Writes a title with one wheel ("|1") of exactly n distinct keywords, each filing one to
// three of n / 4 small topics.
void makeWheelTitle(uint64_t n, const QString& path) {
    const Words words(200000);
    Rng r(n * 7919 + 1);
    title::TitleWriter w;
    const uint32_t topics = uint32_t(std::max<uint64_t>(1, n / 4));
    for (uint32_t t = 0; t < topics; ++t)
        w.addTopic('R', "R_" + std::to_string(t + 1), "Topic " + std::to_string(t), "", "");
    const int wheel = w.addWheel('1', "Keywords");
    std::string k;
    while (w.keywordCount(wheel) < n) {
        k.clear();
        const double shape = r.unit();
        const int count = shape < 0.15   ? 1
                          : shape < 0.45 ? 2
                          : shape < 0.75 ? 3
                          : shape < 0.9  ? 4
                                         : 6;
        for (int i = 0; i < count; ++i) {
            if (i) k += ' ';
            k += capitalised(words.pick(r));
        }
        if (r.below(10) == 0)
            k += ", The";
        else if (r.below(20) == 0)
            k = "The " + k;
        const uint32_t id = w.keyword(wheel, k);
        const int files = 1 + int(r.below(3));
        for (int f = 0; f < files; ++f)
            w.file(wheel, id, r.below(topics));
    }
    w.addBaggage("Korva.$$$", "bench\n");
    QString error;
    if (!w.write(path, &error)) die(error.toStdString());
}

struct ChildRun {
    double seconds = 0;
    long maxRssKiB = 0;
};

// Runs a program to its end and measures its wall time and peak memory.
ChildRun spawnAndWait(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto t0 = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        die("cannot start " + argv[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die(argv[0] + " failed");
    return {std::chrono::duration<double>(Clock::now() - t0).count(), usage.ru_maxrss};
}

std::string selfPath();

// A child spawned straight from this process would count our own memory in its peak
// (it shares our pages until it executes), so a freshly started copy of this program
// starts the child and reports.
ChildRun runChild(const std::vector<std::string>& argv) {
    const std::string report = benchDir().toStdString() + "/child-" + std::to_string(getpid());
    std::vector<std::string> wrapped = {selfPath(), "--measure", report};
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    const ChildRun outer = spawnAndWait(wrapped);
    ChildRun run;
    FILE* f = std::fopen(report.c_str(), "r");
    if (!f || std::fscanf(f, "%lf %ld", &run.seconds, &run.maxRssKiB) != 2) die("no child report");
    std::fclose(f);
    std::remove(report.c_str());
    (void)outer;
    return run;
}

std::string selfPath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) die("cannot find myself");
    return std::string(buf, size_t(n));
}

void exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK)
        die(std::string("sqlite: ") + (err ? err : "?") + " in " + sql);
}

// The peer: the same keywords in wheel order as (rank, key, folded key) with an index on the
// folded key, the same topics, and an FTS5 index over the folded keys.
void makeSqlite(const title::TitleFile& t, const QString& path) {
    QFile::remove(path);
    sqlite3* db;
    if (sqlite3_open(path.toLocal8Bit().constData(), &db) != SQLITE_OK) die("sqlite open");
    exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-1000000;");
    exec(db, "CREATE TABLE wheel(rank INTEGER PRIMARY KEY, key TEXT NOT NULL, fkey TEXT NOT NULL);"
             "CREATE TABLE post(rank INTEGER NOT NULL, topic INTEGER NOT NULL);"
             "CREATE VIRTUAL TABLE fts USING fts5(fkey, content='', prefix='2 3', "
             "tokenize='unicode61 remove_diacritics 2');");
    exec(db, "BEGIN");
    sqlite3_stmt *ins, *post, *fts;
    sqlite3_prepare_v2(db, "INSERT INTO wheel VALUES(?,?,?)", -1, &ins, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO post VALUES(?,?)", -1, &post, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO fts(rowid, fkey) VALUES(?,?)", -1, &fts, nullptr);
    const title::KeywordIndex* k = t.keywords(t.wheels().at(0).physical);
    std::string scratch;
    for (uint32_t i = 0; i < k->size(); ++i) {
        std::string_view d, f;
        k->display(i, d);
        k->folded(i, f, scratch);
        sqlite3_bind_int64(ins, 1, i);
        sqlite3_bind_text(ins, 2, d.data(), int(d.size()), SQLITE_STATIC);
        sqlite3_bind_text(ins, 3, f.data(), int(f.size()), SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
        sqlite3_bind_int64(fts, 1, i);
        sqlite3_bind_text(fts, 2, f.data(), int(f.size()), SQLITE_STATIC);
        if (sqlite3_step(fts) != SQLITE_DONE) die("fts insert");
        sqlite3_reset(fts);
        const uint8_t* a;
        uint32_t c;
        k->topics(i, a, c);
        for (uint32_t j = 0; j < c; ++j) {
            sqlite3_bind_int64(post, 1, i);
            sqlite3_bind_int64(post, 2, title::rd32(a + 4 * j));
            sqlite3_step(post);
            sqlite3_reset(post);
        }
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(post);
    sqlite3_finalize(fts);
    exec(db, "COMMIT");
    exec(db, "CREATE INDEX wheel_fkey ON wheel(fkey); CREATE INDEX post_rank ON post(rank);"
             "INSERT INTO fts(fts) VALUES('optimize'); ANALYZE;");
    sqlite3_close(db);
}

struct Dataset {
    uint64_t n = 0;
    QString titlePath, sqlitePath;
    MVHandle title = 0, wheel = 0;
    sqlite3* db = nullptr;
    sqlite3_stmt *atPos = nullptr, *window = nullptr, *prefix = nullptr, *match = nullptr,
                 *topics = nullptr;
    std::vector<uint32_t> positions;
    std::vector<std::string> keywordProbes;
    std::vector<QString> prefixProbes;
    std::map<int, std::vector<QString>> patterns; // size class -> patterns ("word*")
    std::map<int, double> classMean;
    // Patterns that begin with a wildcard ("*ell*", "?ello*"), by the same classes.
    std::map<int, std::vector<QString>> infix;
    std::map<int, double> infixMean;
};

// KV_BENCH_NO_PEERS=1 times our engine alone (the SQLite peers take hours to build at 30M).
bool noPeers() {
    return qgetenv("KV_BENCH_NO_PEERS") == "1";
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* s;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        die(std::string("prepare: ") + sqlite3_errmsg(db));
    return s;
}

void requireIndex(sqlite3* db, const char* sql, const char* index) {
    sqlite3_stmt* s = prepare(db, (std::string("EXPLAIN QUERY PLAN ") + sql).c_str());
    std::string plan;
    while (sqlite3_step(s) == SQLITE_ROW)
        plan += reinterpret_cast<const char*>(sqlite3_column_text(s, 3)) + std::string("; ");
    sqlite3_finalize(s);
    if (plan.find(index) == std::string::npos)
        die(std::string("query plan without ") + index + ": " + plan);
    std::fprintf(stderr, "plan: %s -> %s\n", sql, plan.c_str());
}

QString keywordAt(MVHandle wheel, qint32 p) {
    QString buffer;
    nMVWordWheelLookup(wheel, p, buffer, 261);
    return buffer.left(buffer.indexOf(QChar(0)));
}

// The whole group, read in one call, as FTS5 hands over all its rows.
std::vector<int64_t> ourGroup(MVHandle wheel, const QString& pattern) {
    const MVHandle g = MVWordWheelSearch(wheel, pattern, 0);
    QList<qint32> positions;
    lMVGroupFindRange(g, 0, lMVGroupItemCount(g), positions);
    MVGroupFree(g);
    return std::vector<int64_t>(positions.begin(), positions.end());
}

std::vector<int64_t> ftsGroup(sqlite3_stmt* s, const QString& pattern) {
    std::string q = "\"";
    q += pattern.chopped(1).toStdString();
    q += "\"*";
    sqlite3_bind_text(s, 1, q.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<int64_t> out;
    while (sqlite3_step(s) == SQLITE_ROW)
        out.push_back(sqlite3_column_int64(s, 0));
    sqlite3_reset(s);
    return out;
}

int64_t sqlPrefix(sqlite3_stmt* s, const std::string& folded, int64_t n) {
    sqlite3_bind_text(s, 1, folded.c_str(), int(folded.size()), SQLITE_STATIC);
    const int64_t r = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : n;
    sqlite3_reset(s);
    return r;
}

std::string sqlKeyword(sqlite3_stmt* s, int64_t p) {
    sqlite3_bind_int64(s, 1, p);
    std::string r = sqlite3_step(s) == SQLITE_ROW
                        ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
                        : "<none>";
    sqlite3_reset(s);
    return r;
}

std::vector<int64_t> sqlTopics(sqlite3_stmt* s, const std::string& key) {
    const std::string f = title::foldUtf8(key);
    sqlite3_bind_text(s, 1, f.c_str(), int(f.size()), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, key.c_str(), int(key.size()), SQLITE_STATIC);
    std::vector<int64_t> out;
    while (sqlite3_step(s) == SQLITE_ROW)
        out.push_back(sqlite3_column_int64(s, 0));
    sqlite3_reset(s);
    return out;
}

Dataset& dataset(uint64_t millions) {
    static std::map<uint64_t, std::unique_ptr<Dataset>> all;
    auto& slot = all[millions];
    if (slot) return *slot;
    slot = std::make_unique<Dataset>();
    Dataset& d = *slot;
    d.n = millions * 1000000;
    QDir().mkpath(benchDir());
    d.titlePath = benchDir() + QStringLiteral("/wheel-%1M.M14").arg(millions);
    d.sqlitePath = benchDir() + QStringLiteral("/wheel-%1M.sqlite").arg(millions);
    if (!QFileInfo::exists(d.titlePath)) {
        std::fprintf(stderr, "generating %s\n", qPrintable(d.titlePath));
        const ChildRun run =
            runChild({selfPath(), "--make-wheel", std::to_string(d.n), d.titlePath.toStdString()});
        std::fprintf(stderr, "compiled %llu keywords in %.1f s, peak %ld MiB, %lld bytes\n",
                     (unsigned long long)d.n, run.seconds, run.maxRssKiB / 1024,
                     (long long)QFileInfo(d.titlePath).size());
    }
    if (!noPeers() && !QFileInfo::exists(d.sqlitePath)) {
        std::fprintf(stderr, "generating %s\n", qPrintable(d.sqlitePath));
        const auto t = title::TitleFile::open(d.titlePath);
        if (!t) die("cannot open the generated title");
        makeSqlite(*t, d.sqlitePath);
    }
    d.title = hMVTitleOpen(d.titlePath);
    d.wheel = hMVWordWheelOpenTitle(d.title, "|1");
    if (!d.wheel || uint64_t(lMVWordWheelLength(d.wheel)) != d.n) die("bad generated title");
    // Probes, and (with the peers) the check that both engines answer them identically.
    Rng r(millions);
    for (int i = 0; i < 4096; ++i)
        d.positions.push_back(r.below(uint32_t(d.n)));
    for (int i = 0; i < 1024; ++i) {
        const QString k = keywordAt(d.wheel, qint32(d.positions[size_t(i)]));
        d.keywordProbes.push_back(k.toStdString());
        d.prefixProbes.push_back(i % 5 == 4 ? QStringLiteral("qx") + k.left(1 + i % 6)
                                            : k.left(1 + i % 8));
    }
    const Words words(200000);
    Rng ir(11);
    // A title of format 1.0 answers these by a pass over the keywords: too slow to select.
    const auto file = title::TitleFile::open(d.titlePath);
    const bool grams = file && file->keywords(file->wheel('1')->physical)->hasGramIndex();
    for (int tries = 0; grams && tries < 600; ++tries) {
        const std::string& w = words.all()[ir.below(
            uint32_t(std::min<size_t>(words.all().size(), tries < 300 ? 3000 : 200000)))];
        if (w.size() < 4) continue;
        const size_t from = 1 + ir.below(uint32_t(w.size() - 3));
        const QString pattern =
            tries % 2 ? "*" + QString::fromStdString(w.substr(from, 3 + ir.below(2))) + "*"
                      : "?" + QString::fromStdString(w.substr(1)) + "*";
        const size_t got = ourGroup(d.wheel, pattern).size();
        for (int cls : {10, 1000, 100000})
            if (got >= size_t(cls / 2) && got <= size_t(cls * 2) && d.infix[cls].size() < 12 &&
                std::find(d.infix[cls].begin(), d.infix[cls].end(), pattern) == d.infix[cls].end())
                d.infix[cls].push_back(pattern);
        if (d.infix[10].size() >= 12 && d.infix[1000].size() >= 12 && d.infix[100000].size() >= 12)
            break;
    }
    const bool listPatterns = qEnvironmentVariableIsSet("KV_BENCH_LIST_PATTERNS");
    for (auto& [cls, list] : d.infix) {
        double sum = 0;
        for (const QString& p : list) {
            const auto t0 = Clock::now();
            const size_t found = ourGroup(d.wheel, p).size();
            if (listPatterns)
                std::fprintf(stderr, "  %s: %zu matches, %.0f us\n", qPrintable(p), found,
                             std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            sum += double(found);
        }
        d.infixMean[cls] = list.empty() ? 0 : sum / double(list.size());
        std::fprintf(stderr, "%lluM: %zu wildcard-first patterns of class %d, mean %.0f matches\n",
                     (unsigned long long)millions, list.size(), cls, d.infixMean[cls]);
    }
    // Wildcard patterns grouped by how many keywords they match (within a factor of 2 of
    // about 10, 1,000 and 100,000).
    Rng pr(5);
    for (int tries = 0; tries < 20000; ++tries) {
        const std::string& w = words.all()[pr.below(
            uint32_t(std::min<size_t>(words.all().size(), tries < 10000 ? 3000 : 200000)))];
        const QString pattern = QString::fromStdString(w.substr(0, 2 + pr.below(4))) + "*";
        const size_t got = ourGroup(d.wheel, pattern).size();
        for (int cls : {10, 1000, 100000})
            if (got >= size_t(cls / 2) && got <= size_t(cls * 2) && d.patterns[cls].size() < 12 &&
                std::find(d.patterns[cls].begin(), d.patterns[cls].end(), pattern) ==
                    d.patterns[cls].end())
                d.patterns[cls].push_back(pattern);
        if (d.patterns[10].size() >= 12 && d.patterns[1000].size() >= 12 &&
            d.patterns[100000].size() >= 12)
            break;
    }
    if (noPeers()) {
        for (auto& [cls, list] : d.patterns) {
            double sum = 0;
            for (const QString& p : list)
                sum += double(ourGroup(d.wheel, p).size());
            d.classMean[cls] = list.empty() ? 0 : sum / double(list.size());
        }
        return d;
    }
    sqlite3_open_v2(d.sqlitePath.toLocal8Bit().constData(), &d.db, SQLITE_OPEN_READONLY, nullptr);
    exec(d.db, "PRAGMA cache_size=-2000000; PRAGMA mmap_size=8000000000;");
    d.atPos = prepare(d.db, "SELECT key FROM wheel WHERE rank=?");
    d.window = prepare(d.db, "SELECT key FROM wheel WHERE rank>=? ORDER BY rank LIMIT 50");
    const char* prefixSql = "SELECT rank FROM wheel WHERE fkey>=? ORDER BY fkey LIMIT 1";
    requireIndex(d.db, prefixSql, "wheel_fkey");
    d.prefix = prepare(d.db, prefixSql);
    d.match = prepare(d.db, "SELECT rowid FROM fts WHERE fts MATCH ? ORDER BY rowid");
    const char* topicsSql = "SELECT p.topic FROM wheel w JOIN post p ON p.rank=w.rank "
                            "WHERE w.fkey=? AND w.key=? ORDER BY p.topic";
    requireIndex(d.db, topicsSql, "wheel_fkey");
    d.topics = prepare(d.db, topicsSql);

    for (uint32_t p : d.positions)
        if (keywordAt(d.wheel, qint32(p)).toStdString() != sqlKeyword(d.atPos, p))
            die("keyword at position differs");
    for (const QString& p : d.prefixProbes)
        if (lMVWordWheelPrefix(d.wheel, p) !=
            sqlPrefix(d.prefix, title::foldText(p).toStdString(), int64_t(d.n)))
            die("prefix position differs for " + p.toStdString());
    for (const std::string& k : d.keywordProbes) {
        QList<qint32> a;
        const QString q = QString::fromStdString(k);
        const qint32 c = nMVKeyIndexGetCount(d.wheel, q);
        lMVKeyIndexGetAddrs(d.wheel, q, 0, c - 1, a);
        if (std::vector<int64_t>(a.begin(), a.begin() + c) != sqlTopics(d.topics, k))
            die("topics differ for " + k);
    }
    for (auto& [cls, list] : d.patterns) {
        double sum = 0;
        for (const QString& p : list) {
            const auto ours = ourGroup(d.wheel, p);
            if (ours != ftsGroup(d.match, p)) die("wildcard group differs for " + p.toStdString());
            sum += double(ours.size());
        }
        d.classMean[cls] = list.empty() ? 0 : sum / double(list.size());
        std::fprintf(stderr, "%lluM: %zu patterns of class %d, mean %.0f matches\n",
                     (unsigned long long)millions, list.size(), cls, d.classMean[cls]);
    }
    return d;
}

// ---- Timing: every operation is timed on its own so medians and 99th percentiles can be
// reported (the clock itself adds about 20 ns).

template <typename Op> void timed(benchmark::State& state, Op op) {
    std::vector<double> ns;
    ns.reserve(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        op(i++);
        ns.push_back(double(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t0).count()));
    }
    std::sort(ns.begin(), ns.end());
    state.counters["p50_us"] = ns[ns.size() / 2] / 1000.0;
    state.counters["p99_us"] = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1000.0;
}

uint64_t sizeArg(const benchmark::State& s) {
    return uint64_t(s.range(0));
}

void KeywordAt_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    QString buffer(261, QChar(0));
    timed(s, [&](size_t i) {
        benchmark::DoNotOptimize(
            nMVWordWheelLookup(d.wheel, qint32(d.positions[i & 4095]), buffer, 261));
    });
}
void KeywordAt_SQLite(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    timed(s,
          [&](size_t i) { benchmark::DoNotOptimize(sqlKeyword(d.atPos, d.positions[i & 4095])); });
}
void Window50_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    QString buffer(261, QChar(0));
    timed(s, [&](size_t i) {
        const qint32 from = qint32(d.positions[i & 4095]);
        for (qint32 p = from; p < from + 50; ++p)
            benchmark::DoNotOptimize(nMVWordWheelLookup(d.wheel, p, buffer, 261));
    });
}
void Window50_SQLite(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    timed(s, [&](size_t i) {
        sqlite3_bind_int64(d.window, 1, d.positions[i & 4095]);
        while (sqlite3_step(d.window) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_text(d.window, 0));
        sqlite3_reset(d.window);
    });
}
void Prefix_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    timed(s, [&](size_t i) {
        benchmark::DoNotOptimize(lMVWordWheelPrefix(d.wheel, d.prefixProbes[i & 1023]));
    });
}
void Prefix_SQLite(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    // The folding is part of the work either way.
    timed(s, [&](size_t i) {
        const std::string f = title::foldUtf8(d.prefixProbes[i & 1023].toStdString());
        benchmark::DoNotOptimize(sqlPrefix(d.prefix, f, int64_t(d.n)));
    });
}
void Wildcard_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    const auto& list = d.patterns[int(s.range(1))];
    if (list.empty()) return s.SkipWithError("no pattern of that size");
    timed(s, [&](size_t i) { benchmark::DoNotOptimize(ourGroup(d.wheel, list[i % list.size()])); });
    s.counters["matches"] = d.classMean[int(s.range(1))];
}
void WildcardFirst_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    const auto& list = d.infix[int(s.range(1))];
    if (list.empty()) return s.SkipWithError("no pattern of that size");
    timed(s, [&](size_t i) { benchmark::DoNotOptimize(ourGroup(d.wheel, list[i % list.size()])); });
    s.counters["matches"] = d.infixMean[int(s.range(1))];
}
void Wildcard_FTS5(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    const auto& list = d.patterns[int(s.range(1))];
    if (list.empty()) return s.SkipWithError("no pattern of that size");
    timed(s, [&](size_t i) { benchmark::DoNotOptimize(ftsGroup(d.match, list[i % list.size()])); });
    s.counters["matches"] = d.classMean[int(s.range(1))];
}
void Topics_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    QList<qint32> a;
    timed(s, [&](size_t i) {
        const QString k = QString::fromStdString(d.keywordProbes[i & 1023]);
        const qint32 c = nMVKeyIndexGetCount(d.wheel, k);
        benchmark::DoNotOptimize(lMVKeyIndexGetAddrs(d.wheel, k, 0, c - 1, a));
    });
}
void Topics_SQLite(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    timed(s, [&](size_t i) {
        benchmark::DoNotOptimize(sqlTopics(d.topics, d.keywordProbes[i & 1023]));
    });
}
void dropCache(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    if (fd >= 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}
void Open_Ours(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    const bool cold = s.range(1) != 0;
    for (auto _ : s) {
        if (cold) {
            s.PauseTiming();
            dropCache(d.titlePath);
            s.ResumeTiming();
        }
        const MVHandle t = hMVTitleOpen(d.titlePath);
        const MVHandle w = hMVWordWheelOpenTitle(t, "|1");
        benchmark::DoNotOptimize(lMVWordWheelPrefix(w, "m"));
        MVWordWheelClose(w);
        MVTitleClose(t);
    }
}
void Open_SQLite(benchmark::State& s) {
    Dataset& d = dataset(sizeArg(s));
    const bool cold = s.range(1) != 0;
    for (auto _ : s) {
        if (cold) {
            s.PauseTiming();
            dropCache(d.sqlitePath);
            s.ResumeTiming();
        }
        sqlite3* db;
        sqlite3_open_v2(d.sqlitePath.toLocal8Bit().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st =
            prepare(db, "SELECT rank FROM wheel WHERE fkey>=? ORDER BY fkey LIMIT 1");
        benchmark::DoNotOptimize(sqlPrefix(st, "m", int64_t(d.n)));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}

// The compile of a demo catalogue through the command-line tool, in a child process.
void CompileCatalogue(benchmark::State& s) {
    const QByteArray env = qgetenv("KV_BENCH_COMPILE_ARTISTS");
    const int artists = env.isEmpty() ? 40000 : env.toInt();
    const QString src = benchDir() + QStringLiteral("/demo-%1").arg(artists);
    if (!QFileInfo::exists(src + "/tracks.csv"))
        runChild({KV_TITLE_TOOL, "demo", src.toStdString(), "--artists", std::to_string(artists),
                  "--seed", "7"});
    const QString out = benchDir() + QStringLiteral("/demo-%1.M14").arg(artists);
    qint64 tracks = -1;
    {
        QFile f(src + "/tracks.csv");
        if (f.open(QIODevice::ReadOnly))
            while (!f.atEnd())
                f.readLine(), ++tracks;
    }
    ChildRun run;
    for (auto _ : s) {
        run = runChild({KV_TITLE_TOOL, "build", "catalogue", src.toStdString(), out.toStdString()});
        s.SetIterationTime(run.seconds);
    }
    const auto t = title::TitleFile::open(out);
    uint64_t keywords = 0;
    for (uint32_t p = 0; t->keywords(p); ++p)
        keywords += t->keywords(p)->size();
    s.counters["tracks"] = double(tracks);
    s.counters["tracks_per_s"] = double(tracks) / run.seconds;
    s.counters["bytes_per_track"] = double(t->fileSize()) / double(tracks);
    s.counters["bytes_per_keyword"] = double(t->fileSize()) / double(keywords);
    s.counters["peak_MiB"] = double(run.maxRssKiB) / 1024.0;
}

void CompileWheel(benchmark::State& s) {
    const uint64_t n = uint64_t(s.range(0)) * 1000000;
    const QString out = benchDir() + QStringLiteral("/compile-%1M.M14").arg(s.range(0));
    ChildRun run;
    for (auto _ : s) {
        run = runChild({selfPath(), "--make-wheel", std::to_string(n), out.toStdString()});
        s.SetIterationTime(run.seconds);
    }
    s.counters["keywords_per_s"] = double(n) / run.seconds;
    s.counters["bytes_per_keyword"] = double(QFileInfo(out).size()) / double(n);
    s.counters["peak_MiB"] = double(run.maxRssKiB) / 1024.0;
    QFile::remove(out);
}

std::vector<int64_t> sizes() {
    const QByteArray env = qgetenv("KV_BENCH_SIZES");
    std::vector<int64_t> out;
    for (const QByteArray& p : (env.isEmpty() ? QByteArray("1,10") : env).split(','))
        out.push_back(p.toLongLong());
    return out;
}

void registerAll() {
    for (int64_t m : sizes()) {
        using Fn = void (*)(benchmark::State&);
        for (auto [name, fn, iters] :
             {std::tuple<const char*, Fn, int>{"KeywordAt/Ours", KeywordAt_Ours, 200000},
              std::tuple<const char*, Fn, int>{"KeywordAt/SQLite", KeywordAt_SQLite, 200000},
              std::tuple<const char*, Fn, int>{"Window50/Ours", Window50_Ours, 20000},
              std::tuple<const char*, Fn, int>{"Window50/SQLite", Window50_SQLite, 20000},
              std::tuple<const char*, Fn, int>{"Prefix/Ours", Prefix_Ours, 100000},
              std::tuple<const char*, Fn, int>{"Prefix/SQLite", Prefix_SQLite, 100000},
              std::tuple<const char*, Fn, int>{"Topics/Ours", Topics_Ours, 50000},
              std::tuple<const char*, Fn, int>{"Topics/SQLite", Topics_SQLite, 50000}})
            if (!noPeers() || std::string_view(name).ends_with("/Ours"))
                benchmark::RegisterBenchmark(name, fn)->Arg(m)->Iterations(iters)->Unit(
                    benchmark::kMicrosecond);
        for (int cls : {10, 1000, 100000}) {
            const int iters = cls == 100000 ? 60 : cls == 1000 ? 2000 : 20000;
            benchmark::RegisterBenchmark("Wildcard/Ours", Wildcard_Ours)
                ->Args({m, cls})
                ->Iterations(iters)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark("WildcardFirst/Ours", WildcardFirst_Ours)
                ->Args({m, cls})
                ->Iterations(iters)
                ->Unit(benchmark::kMicrosecond);
            if (!noPeers())
                benchmark::RegisterBenchmark("Wildcard/FTS5", Wildcard_FTS5)
                    ->Args({m, cls})
                    ->Iterations(iters)
                    ->Unit(benchmark::kMicrosecond);
        }
        for (int cold : {0, 1}) {
            benchmark::RegisterBenchmark("Open/Ours", Open_Ours)
                ->Args({m, cold})
                ->Iterations(cold ? 30 : 2000)
                ->Unit(benchmark::kMicrosecond);
            if (!noPeers())
                benchmark::RegisterBenchmark("Open/SQLite", Open_SQLite)
                    ->Args({m, cold})
                    ->Iterations(cold ? 30 : 2000)
                    ->Unit(benchmark::kMicrosecond);
        }
    }
    benchmark::RegisterBenchmark("Compile/Catalogue", CompileCatalogue)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    const QByteArray wheels = qgetenv("KV_BENCH_COMPILE_WHEELS");
    for (const QByteArray& p : wheels.split(','))
        if (!p.isEmpty())
            benchmark::RegisterBenchmark("Compile/Wheel", CompileWheel)
                ->Arg(p.toLongLong())
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
}

} // namespace

// `bench_title --probe OP TITLE COUNT`: COUNT operations of one kind on fixed random keywords
// of wheel "|1" (or COUNT searches of one pattern, OP `search:PATTERN`), inside probeLoop, so that `valgrind --tool=callgrind
// --toggle-collect='*probeLoop*'` counts the instructions of the operations alone (counts
// are steady on a loaded machine, unlike times).
__attribute__((noinline)) uint64_t probeLoop(const std::string& op, const QString& path, MVHandle w,
                                             const QStringList& keys) {
    uint64_t sum = 0;
    QList<qint32> a;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (op == "topics") {
            const qint32 c = nMVKeyIndexGetCount(w, keys[i]);
            sum += uint64_t(lMVKeyIndexGetAddrs(w, keys[i], 0, c - 1, a));
        } else if (op == "prefix") {
            sum += uint64_t(lMVWordWheelPrefix(w, keys[i].left(1 + int(i % 8))));
        } else if (op.rfind("search:", 0) == 0) {
            // Every operation the same pattern: `search:*ell*`.
            const MVHandle g = MVWordWheelSearch(w, QString::fromStdString(op.substr(7)), 0);
            sum += uint64_t(lMVGroupFindRange(g, 0, lMVGroupItemCount(g), a));
            MVGroupFree(g);
        } else if (op == "open") {
            const MVHandle t = hMVTitleOpen(path);
            const MVHandle w2 = hMVWordWheelOpenTitle(t, "|1");
            sum += uint64_t(lMVWordWheelPrefix(w2, "m"));
            MVWordWheelClose(w2);
            MVTitleClose(t);
        }
    }
    return sum;
}

int probe(const std::string& op, const QString& path, int count) {
    const MVHandle t = hMVTitleOpen(path);
    const MVHandle w = hMVWordWheelOpenTitle(t, "|1");
    if (!w) die("cannot open " + path.toStdString());
    Rng r(99);
    QStringList keys;
    for (int i = 0; i < count; ++i)
        keys << keywordAt(w, qint32(r.below(uint32_t(lMVWordWheelLength(w)))));
    const auto t0 = Clock::now();
    const uint64_t sum = probeLoop(op, path, w, keys);
    const double us =
        std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / double(count);
    std::printf("%s %s: %.3f us an operation (%llu)\n", op.c_str(), qPrintable(path), us,
                (unsigned long long)sum);
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::string(argv[1]) == "--probe")
        return probe(argv[2], QString::fromLocal8Bit(argv[3]), std::stoi(argv[4]));
    if (argc >= 4 && std::string(argv[1]) == "--measure") {
        const ChildRun run = spawnAndWait(std::vector<std::string>(argv + 3, argv + argc));
        FILE* f = std::fopen(argv[2], "w");
        if (!f) return 1;
        std::fprintf(f, "%f %ld\n", run.seconds, run.maxRssKiB);
        return std::fclose(f) == 0 ? 0 : 1;
    }
    if (argc == 4 && std::string(argv[1]) == "--make-wheel") {
        makeWheelTitle(std::stoull(argv[2]), QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
