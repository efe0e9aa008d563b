#pragma once

// Drives every read path of a title: used by the fuzz target and by the tests that open
// damaged copies. Work is bounded so a hostile file cannot make a run slow.

#include "titles/engine/Fold.h"
#include "titles/engine/Page.h"
#include "titles/engine/TitleFile.h"

#include <algorithm>
#include <string>

namespace kv::title {

// Returns a number that depends on what was read, so nothing is optimised away.
inline uint64_t exerciseTitle(const TitleFile& t) {
    uint64_t sum = t.topicCount() + t.contentsAddress();
    const uint32_t topics = std::min<uint32_t>(t.topicCount(), 64);
    for (uint32_t a = 0; a < topics; ++a) {
        TopicRecord r;
        if (!t.topic(a, r)) continue;
        sum += r.title.size() + uint8_t(r.kind);
        Page page;
        decodePage(r.page, page);
        sum += uint64_t(pageToHtml(page).size()) + uint64_t(pageToPlainText(page).size());
        sum += uint64_t(t.topicByContext(r.contextString) + 1);
    }
    sum += uint64_t(t.topicByContext("R_1") + 2);
    sum += t.baggage("Korva.$$$").has_value();
    static const char* const kTexts[] = {"", "a", "the", "b", "zz", "\xC3\xBC", "fox, "};
    static const char16_t* const kPatterns[] = {u"a*", u"the*",  u"?e*", u"*",        u"b?*s",
                                                u"*x", u"*the*", u"?b",  u"*\u00FC?", u"*ea*o*"};
    std::vector<Pattern> patterns;
    for (const char16_t* p : kPatterns)
        patterns.push_back(Pattern::parse(QStringView(p)));
    for (const WheelInfo& w : t.wheels()) {
        const KeywordIndex* k = t.keywords(w.physical);
        if (!k) continue;
        sum += k->size();
        std::string scratch;
        const uint32_t n = std::min<uint32_t>(k->size(), 64);
        for (uint32_t i = 0; i < n; ++i) {
            std::string_view d, f;
            if (k->display(i, d)) {
                sum += d.size() + uint64_t(k->find(d) + 1);
            }
            if (k->folded(i, f, scratch)) sum += f.size();
            const uint8_t* addrs;
            uint32_t count;
            if (k->topics(i, addrs, count) && count > 0) {
                TopicRecord r;
                sum += t.topic(rd32(addrs), r);
            }
        }
        for (const char* text : kTexts)
            sum += k->lowerBound(text);
        // Searches that fall back to a pass over the keywords are kept to small wheels.
        for (const Pattern& p : patterns) {
            if (p.leadingLiteral().empty() && !k->hasGramIndex() && k->size() > 4096) continue;
            std::vector<uint32_t> found;
            bool all;
            k->search(p, found, all);
            sum += found.size() + all;
        }
    }
    return sum;
}

} // namespace kv::title
