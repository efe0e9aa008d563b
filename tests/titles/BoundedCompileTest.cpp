// The compile in bounded memory: sorting in runs merged from scratch files must give what
// sorting in memory gives, to the byte, and a scratch disk that fails must fail the compile
// with the reason and leave the previous title alone.

#include "TitleFixture.h"

#include "titles/engine/ExternalSort.h"

#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <sys/resource.h>

using namespace kv;
using namespace kv::test;

namespace {

struct Record {
    title::RecordSorter::Key key;
    std::string payload;
};

std::vector<Record> sorted(title::RecordSorter& s) {
    std::vector<Record> out;
    title::RecordSorter::Key key;
    std::string_view payload;
    while (s.next(key, payload))
        out.push_back({key, std::string(payload)});
    EXPECT_TRUE(s.ok()) << s.error().toStdString();
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BoundedCompileTest : public TitleTest {
protected:
    // The demo catalogue with its tracks in a shuffled order, so that every run holds
    // tracks of recordings from all over the catalogue.
    void writeShuffledSource() {
        QString error;
        ASSERT_TRUE(title::writeDemoSource(m_dir.path(), 300, 7, &error)) << error.toStdString();
        QList<QByteArray> lines = readAll(path("tracks.csv")).split('\n');
        const QByteArray header = lines.takeFirst();
        lines.removeAll(QByteArray());
        QRandomGenerator random(11);
        for (qsizetype i = lines.size() - 1; i > 0; --i)
            lines.swapItemsAt(i, qsizetype(random.bounded(quint32(i + 1))));
        writeFile(path("tracks.csv"), header + '\n' + lines.join('\n') + '\n');
    }
    QByteArray compile(const QString& out, size_t memory) {
        title::CompileOptions options;
        options.memoryBytes = memory;
        QString error;
        EXPECT_TRUE(title::compileCatalogue(m_dir.path(), path(out), &error, nullptr, options))
            << error.toStdString();
        return readAll(path(out));
    }
    QString failedCompile(const QString& out, const title::CompileOptions& options) {
        QString error;
        EXPECT_FALSE(title::compileCatalogue(m_dir.path(), path(out), &error, nullptr, options));
        return error;
    }
};

TEST(RecordSorterTest, RunsMergedFromDiskGiveTheStableOrderOfASortInMemory) {
    QTemporaryDir dir;
    QRandomGenerator random(3);
    std::vector<Record> input;
    for (int i = 0; i < 5000; ++i) {
        // Few distinct keys, so the order among equal keys is tested thousands of times;
        // payloads from empty to larger than the whole budget.
        const size_t size = i % 997 == 0 ? 20000 : random.bounded(40u);
        input.push_back({{random.bounded(8u), random.bounded(4u)},
                         std::to_string(i) + std::string(size, char('a' + i % 26))});
    }
    std::vector<Record> expected = input;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const Record& x, const Record& y) { return x.key < y.key; });

    for (const size_t memory : {size_t(1), size_t(4096), size_t(1) << 30}) {
        title::RecordSorter s(dir.path(), memory);
        for (const Record& r : input)
            ASSERT_TRUE(s.add(r.key, r.payload)) << s.error().toStdString();
        ASSERT_TRUE(s.finish());
        EXPECT_EQ(s.runsOnDisk() > 0, memory < (size_t(1) << 30)) << memory;
        const std::vector<Record> got = sorted(s);
        ASSERT_EQ(got.size(), expected.size()) << memory;
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].payload, expected[i].payload) << "record " << i << ", " << memory;
            ASSERT_FALSE(got[i].key < expected[i].key || expected[i].key < got[i].key);
        }
        EXPECT_EQ(s.count(), input.size());
    }
    // Scratch files have no names: nothing is left in the folder.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());

    title::RecordSorter none(dir.path(), 16);
    ASSERT_TRUE(none.finish());
    EXPECT_TRUE(sorted(none).empty());
    EXPECT_FALSE(none.add({1, 1}, "late")); // adding ends with finish()
}

TEST(SpoolTest, BytesComeBackInOrderFromMemoryAndScratchFile) {
    QTemporaryDir dir;
    for (const size_t memory : {size_t(1), size_t(100), size_t(1) << 30}) {
        title::Spool spool(dir.path(), memory);
        std::string all;
        for (int i = 0; i < 300; ++i) {
            const std::string piece(size_t(i % 17), char('A' + i % 26));
            ASSERT_TRUE(spool.append(piece));
            all += piece;
        }
        std::string back;
        ASSERT_TRUE(spool.read([&](std::string_view p) {
            back.append(p);
            return true;
        }));
        EXPECT_EQ(back, all) << memory;
        EXPECT_EQ(spool.size(), all.size());
    }
}

TEST_F(BoundedCompileTest, TitleIsTheSameByteForByteWhateverTheMemoryBudget) {
    writeShuffledSource();
    const QByteArray inMemory = compile("memory.M14", size_t(1) << 30);
    ASSERT_FALSE(inMemory.isEmpty());
    // A budget of a few kilobytes: hundreds of track runs, every page through the spool.
    EXPECT_TRUE(compile("runs.M14", 4096) == inMemory);
    EXPECT_TRUE(compile("one.M14", 1) == inMemory);

    // And the title is the catalogue: a track filed from a late run is found.
    const MVHandle t = open(path("runs.M14"));
    const MVHandle tracks = wheel(t, "2");
    EXPECT_GT(lMVWordWheelLength(tracks), 500);
}

TEST_F(BoundedCompileTest, AFailingScratchDiskFailsTheCompileAndKeepsTheOldTitle) {
    writeShuffledSource();
    const QByteArray old = compile("Music.M14", size_t(1) << 30);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    title::CompileOptions options;
    options.memoryBytes = 4096;
    options.scratchDir = path("missing");
    EXPECT_EQ(failedCompile("Music.M14", options),
              "cannot write a scratch file in " + path("missing") + ": No such file or directory");

    // The disk fills up once the scratch files pass 64 KiB.
    options.scratchDir.clear();
    struct rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = failedCompile("Music.M14", options);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "cannot write a scratch file in " + m_dir.path() + ": File too large");

    EXPECT_TRUE(readAll(path("Music.M14")) == old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

TEST_F(BoundedCompileTest, StepsAreToldInOrderAndAStopLeavesThePreviousTitle) {
    writeShuffledSource();
    const QByteArray old = compile("Music.M14", size_t(1) << 30);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    std::atomic<bool> stop{false};
    QStringList steps;
    uint64_t recordingPages = 0;
    title::CompileOptions options;
    options.memoryBytes = 4096;
    options.cancel = &stop;
    options.progress = [&](const title::CompileProgress& p) {
        if (steps.isEmpty() || steps.back() != p.step) steps << p.step;
        if (p.step == "Writing recording pages") {
            EXPECT_LT(p.done, p.total);
            recordingPages = p.total;
        }
        // Stopped halfway through writing the title itself.
        if (p.step == "Writing the word wheel Tracks") stop = true;
    };
    EXPECT_EQ(failedCompile("Music.M14", options), "interrupted");
    EXPECT_EQ(steps, QStringList({"Reading artists.csv", "Reading recordings.csv",
                                  "Reading releases.csv", "Reading tracks.csv",
                                  "Writing recording pages", "Writing artist pages",
                                  "Writing pages", "Writing the word wheel Artists",
                                  "Writing the word wheel Albums", "Writing the word wheel Tracks"}));
    EXPECT_GT(recordingPages, 100u);
    EXPECT_TRUE(readAll(path("Music.M14")) == old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

} // namespace
