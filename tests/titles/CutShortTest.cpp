// A title whose file is cut short while it is open must read as damaged, never end the
// program (the pages past the new end of the file would otherwise raise SIGBUS).

#include "titles/engine/Fold.h"
#include "titles/engine/SearchGroup.h"
#include "titles/engine/TitleFile.h"
#include "titles/engine/TitleFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv::title;

namespace {

uint64_t readEverything(const TitleFile& t) {
    uint64_t sum = 0;
    std::string scratch;
    for (const WheelInfo& w : t.wheels()) {
        const KeywordIndex* k = t.keywords(w.physical);
        if (!k) continue;
        for (uint32_t i = 0; i < k->size(); i += 3) {
            std::string_view d, f;
            sum += k->display(i, d) ? d.size() : 0;
            sum += k->folded(i, f, scratch) ? f.size() : 0;
            const uint8_t* addrs;
            uint32_t count;
            if (k->topics(i, addrs, count) && count > 0) sum += rd32(addrs);
        }
        for (const char16_t* p : {u"a*", u"*e*", u"?he*", u"the*"}) {
            SearchGroup g;
            k->search(Pattern::parse(QStringView(p)), g);
            sum += g.size();
        }
        sum += k->lowerBound("m");
    }
    for (uint32_t a = 0; a < t.topicCount(); ++a) {
        TopicRecord r;
        if (t.topic(a, r)) sum += r.page.size() + r.identification.size();
    }
    for (const TitleFile::Baggage& b : t.baggage())
        sum += b.data.size();
    return sum;
}

TEST(CutShortTitle, ReadsAsDamagedInsteadOfEndingTheProgram) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Music.M14"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KV_APP_DIR "/Music.M14"), path));
    const auto whole = TitleFile::open(path);
    ASSERT_TRUE(whole);
    const uint64_t before = readEverything(*whole);

    const auto title = TitleFile::open(path);
    ASSERT_TRUE(title);
    QFile file(path);
    ASSERT_TRUE(file.resize(qint64(title->fileSize() / 5)));
    const uint64_t after = readEverything(*title);
    EXPECT_NE(after, before) << "the lost pages read as zeros";
    EXPECT_FALSE(TitleFile::open(path)) << "and the cut file no longer opens";

    // Both mappings stay usable to the end and unmap cleanly.
    EXPECT_EQ(readEverything(*title), after);
}

} // namespace
