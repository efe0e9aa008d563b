// Search groups held as bitmaps must read back exactly as the sorted lists they replace, and
// searches whose groups come out dense must find what a pass over the keywords finds.

#include "titles/engine/SearchGroup.h"
#include "titles/engine/Fold.h"
#include "titles/engine/TitleFile.h"

#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace kv::title;

namespace {

TEST(SearchGroup, BitmapReadsBackAsTheSortedList) {
    std::mt19937 rng(3);
    for (uint32_t wheel : {1u, 63u, 64u, 65u, 511u, 512u, 513u, 5000u, 100000u}) {
        for (uint32_t wanted : {0u, 1u, 7u, wheel / 3, wheel}) {
            std::set<uint32_t> picked = {0, wheel - 1};
            while (picked.size() < std::min(wanted, wheel))
                picked.insert(rng() % wheel);
            if (wanted == 0) picked.clear();
            const std::vector<uint32_t> list(picked.begin(), picked.end());

            SearchGroup bits;
            bits.startBitmap(wheel);
            for (auto it = list.rbegin(); it != list.rend(); ++it) // order must not matter
                bits.mark(*it);
            bits.mark(list.empty() ? 0 : list.front()); // nor marking twice
            if (list.empty()) bits.startBitmap(wheel);
            bits.finish();

            SCOPED_TRACE(testing::Message() << wheel << " keywords, " << list.size() << " items");
            ASSERT_TRUE(bits.isBitmap());
            ASSERT_EQ(bits.size(), list.size());
            EXPECT_EQ(bits.positions(), list);
            for (uint32_t i = 0; i < list.size(); i += 1 + list.size() / 50)
                ASSERT_EQ(bits.at(i), list[i]) << i;
            // Windows that start anywhere, across words and blocks.
            for (uint32_t first = 0; first < list.size(); first += 1 + list.size() / 20) {
                const uint32_t n = std::min<uint32_t>(50, uint32_t(list.size()) - first);
                std::vector<int32_t> window(n);
                bits.copy(first, n, window.data());
                for (uint32_t k = 0; k < n; ++k)
                    ASSERT_EQ(uint32_t(window[k]), list[first + k]) << first << "+" << k;
            }
        }
    }
    SearchGroup all;
    all.setAll(10);
    std::vector<int32_t> w(3);
    all.copy(7, 3, w.data());
    EXPECT_EQ(w, (std::vector<int32_t>{7, 8, 9}));
    EXPECT_EQ(all.at(4), 4u);
}

TEST(SearchGroup, DenseSearchesFindWhatAPassOverTheKeywordsFinds) {
    // The bundled demo catalogue's track titles: common prefixes match thousands of them.
    const auto file = TitleFile::open(QStringLiteral(KV_APP_DIR "/Music.M14"));
    ASSERT_TRUE(file);
    const KeywordIndex* k = file->keywords(file->wheel('3')->physical);
    std::vector<std::string> folds(k->size());
    std::string scratch;
    for (uint32_t i = 0; i < k->size(); ++i) {
        std::string_view f;
        ASSERT_TRUE(k->folded(i, f, scratch));
        folds[i] = f;
    }
    int dense = 0;
    for (const char16_t* text : {u"a*", u"t*", u"th*", u"s*e*", u"l?*", u"the*", u"*e*"}) {
        const Pattern pattern = Pattern::parse(QStringView(text));
        std::vector<uint32_t> expected;
        for (uint32_t i = 0; i < k->size(); ++i) {
            const std::string_view f = folds[i];
            bool hit = pattern.matches(f);
            for (uint32_t s : wordStarts(f))
                hit = hit || pattern.matches(f.substr(s));
            if (hit) expected.push_back(i);
        }
        SearchGroup group;
        k->search(pattern, group);
        dense += group.isBitmap();
        EXPECT_EQ(group.positions(), expected) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_GE(dense, 3) << "the dense form was exercised";
}

} // namespace
