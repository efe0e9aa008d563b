// Damaged titles: every truncation and many bit flips of a real title either fail to open
// with a message or answer every read without crashing (run under the sanitizers too).

#include "TitleFixture.h"

#include "../../fuzz/ExerciseTitle.h"

#include <random>

using namespace kv;
using namespace kv::test;

namespace {

class DamageTest : public TitleTest {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(title::writeDemoSource(m_dir.path(), 12, 5, &error)) << error.toStdString();
        ASSERT_TRUE(title::compileCatalogue(m_dir.path(), path("Music.M14"), &error))
            << error.toStdString();
        QFile f(path("Music.M14"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        bytes = f.readAll();
        ASSERT_GT(bytes.size(), 4096);
    }
    QByteArray bytes;
};

TEST_F(DamageTest, TruncatedCopiesAreRefused) {
    std::vector<qsizetype> lengths = {0, 1, 7, 8, 63, 64, 65, bytes.size() - 1};
    for (qsizetype n = 100; n < bytes.size(); n += bytes.size() / 150)
        lengths.push_back(n);
    for (qsizetype n : lengths) {
        QString error;
        EXPECT_EQ(title::TitleFile::fromBytes(bytes.left(n), &error), nullptr) << n;
        EXPECT_FALSE(error.isEmpty());
    }
    // Through the library, from a file: a failed open says why.
    writeFile(path("short.M14"), bytes.left(bytes.size() / 2));
    EXPECT_EQ(hMVTitleOpen(path("short.M14")), 0);
    EXPECT_TRUE(strMVLastError().contains("truncated")) << strMVLastError().toStdString();
    writeFile(path("empty.M14"), {});
    EXPECT_EQ(hMVTitleOpen(path("empty.M14")), 0);
    writeFile(path("foreign.M14"), QByteArray(4096, 'x'));
    EXPECT_EQ(hMVTitleOpen(path("foreign.M14")), 0);
    EXPECT_TRUE(strMVLastError().contains("not a Korvanda title"));
    EXPECT_EQ(hMVTitleOpen(path("missing.M14")), 0);
}

TEST_F(DamageTest, BitFlippedCopiesNeverCrash) {
    std::mt19937 rng(11);
    // The section directory sits at the end of the file, where the header points.
    const auto* d = reinterpret_cast<const uint8_t*>(bytes.constData());
    const quint64 dir = title::rd64(d + 24);
    const quint32 dirBytes = title::rd32(d + 12) * quint32(title::kDirEntrySize);
    ASSERT_EQ(dir + dirBytes, quint64(bytes.size()));
    int opened = 0;
    for (int i = 0; i < 1500; ++i) {
        QByteArray copy = bytes;
        const int flips = 1 + int(rng() % 4);
        for (int f = 0; f < flips; ++f) {
            // Every other copy has its flips in the header or the section directory, where a
            // lie does most harm; the others anywhere in the file.
            qsizetype at = qsizetype(rng() % quint32(copy.size()));
            if (i % 2) {
                const quint32 r = rng() % (title::kHeaderSize + dirBytes);
                at =
                    r < title::kHeaderSize ? qsizetype(r) : qsizetype(dir + r - title::kHeaderSize);
            }
            copy[at] = char(copy[at] ^ (1 << (rng() % 8)));
        }
        const auto t = title::TitleFile::fromBytes(copy);
        if (!t) continue;
        ++opened;
        title::exerciseTitle(*t);
    }
    EXPECT_GT(opened, 100) << "flips in the data must still open";
}

TEST_F(DamageTest, HostileDirectoryValuesAreRefused) {
    auto patched = [&](int offset, quint64 value, int width) {
        QByteArray copy = bytes;
        for (int i = 0; i < width; ++i)
            copy[offset + i] = char(value >> (8 * i));
        return title::TitleFile::fromBytes(copy) == nullptr;
    };
    EXPECT_TRUE(patched(12, 0xFFFFFFFF, 4)) << "section count";
    EXPECT_TRUE(patched(24, quint64(bytes.size()) - 8, 8)) << "directory past the end";
    EXPECT_TRUE(patched(36, 0x7FFFFFFF, 4)) << "topic count";
    EXPECT_TRUE(patched(40, 0xFFFFFF, 4)) << "wheel count";
    EXPECT_TRUE(patched(8, 2, 2)) << "major version";
    // Every directory entry pointing past the end of the file.
    const quint64 dir = title::rd64(reinterpret_cast<const uint8_t*>(bytes.constData()) + 24);
    const quint32 count = title::rd32(reinterpret_cast<const uint8_t*>(bytes.constData()) + 12);
    for (quint32 i = 0; i < count; ++i) {
        EXPECT_TRUE(patched(int(dir + 24 * i + 8), quint64(bytes.size()) + 8, 8)) << i;
        EXPECT_TRUE(patched(int(dir + 24 * i + 16), ~quint64(0), 8)) << i;
    }
}

} // namespace
