// The indexes against a plain model: on a generated catalogue, every prefix position and
// every wildcard group must equal what a straightforward pass over the keywords gives.

#include "TitleFixture.h"

#include "titles/engine/Fold.h"
#include "titles/engine/TitleFile.h"
#include "titles/engine/TitleFormat.h"

#include <QFile>
#include <cstring>

#include <QRegularExpression>
#include <random>

using namespace kv;
using namespace kv::test;

namespace {

TEST(Fold, FoldsCompatibilityFormsMarksAndCase) {
    EXPECT_EQ(title::foldText(u"Björk"), "bjork");
    EXPECT_EQ(title::foldText(u"ﬁre Ⅳ"), "fire iv");
    EXPECT_EQ(title::foldText(u"Ｓｉｇｕｒ"), "sigur");
    EXPECT_EQ(title::foldText(u"ÅSA"), "asa");
    EXPECT_EQ(title::foldUtf8("Dvořák"), "dvorak");
    EXPECT_EQ(title::foldUtf8("ABC def"), "abc def");
    EXPECT_EQ(title::wordStarts("(what's the story) 2nd"),
              (std::vector<uint32_t>{0, 1, 6, 8, 12, 19}));
    EXPECT_EQ(title::wordStarts("über-ök"), (std::vector<uint32_t>{0, 6}));
}

TEST(Fold, PatternMatching) {
    auto m = [](const char16_t* p, const char* text) {
        return title::Pattern::parse(QStringView(p)).matches(text);
    };
    EXPECT_TRUE(m(u"b?ork", "bjork"));
    EXPECT_TRUE(m(u"?", "é")) << "one character, not one byte";
    EXPECT_FALSE(m(u"??", "é"));
    EXPECT_TRUE(m(u"*a*b*c*", "xaybzc"));
    EXPECT_FALSE(m(u"*a*b*c", "xaybzcd"));
    EXPECT_TRUE(m(u"BJÖ*", "bjork"));
    EXPECT_TRUE(m(u"", ""));
    EXPECT_FALSE(m(u"", "a"));
    // A pathological pattern stays polynomial.
    const std::string text(2000, 'a');
    EXPECT_FALSE(title::Pattern::parse(u"*a*a*a*a*a*a*a*a*b").matches(text));
}

class IndexModelTest : public TitleTest {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        QString error;
        ASSERT_TRUE(title::writeDemoSource(s_dir->path(), 200, 42, &error)) << error.toStdString();
        ASSERT_TRUE(title::compileCatalogue(s_dir->path(), s_dir->filePath("Music.M14"), &error))
            << error.toStdString();
    }
    static void TearDownTestSuite() { delete s_dir; }

    // The pattern as a regular expression over folded text.
    static QRegularExpression modelPattern(const QString& pattern) {
        QString rx, literal;
        auto flush = [&] {
            rx += QRegularExpression::escape(title::foldText(literal));
            literal.clear();
        };
        for (QChar c : pattern) {
            if (c == u'*' || c == u'?') {
                flush();
                rx += c == u'*' ? QStringLiteral(".*") : QStringLiteral(".");
            } else {
                literal += c;
            }
        }
        flush();
        return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                                  QRegularExpression::DotMatchesEverythingOption);
    }

    // Every folded text a pattern is matched against: the whole keyword and the rest from
    // each word start.
    static QStringList modelSuffixes(const QString& keyword) {
        const std::string f = title::foldText(keyword).toStdString();
        QStringList out = {QString::fromStdString(f)};
        for (uint32_t s : title::wordStarts(f))
            if (s > 0) out << QString::fromStdString(f.substr(s));
        return out;
    }

    static QTemporaryDir* s_dir;
};
QTemporaryDir* IndexModelTest::s_dir = nullptr;

TEST_F(IndexModelTest, PrefixAndSearchAgreeWithAPassOverTheKeywords) {
    const MVHandle t = open(s_dir->filePath("Music.M14"));
    for (const char* id : {"1", "2", "3", "7"}) {
        const MVHandle w = wheel(t, id);
        const QStringList all = keywords(w);
        ASSERT_GT(all.size(), 50);
        QStringList folded;
        for (const QString& k : all)
            folded << title::foldText(k);
        for (int i = 1; i < folded.size(); ++i)
            ASSERT_LE(folded[i - 1].toStdU32String(), folded[i].toStdU32String()) << i;
        ASSERT_EQ(QSet<QString>(all.begin(), all.end()).size(), all.size()) << "distinct texts";

        std::vector<QStringList> suffixes;
        for (const QString& k : all)
            suffixes.push_back(modelSuffixes(k));

        std::mt19937 rng(7);
        QStringList probes = {"a", "the", "b", "zz", "", "Ü", "moon", "fox, ", "o'b", "st. j"};
        for (int i = 0; i < 12; ++i) {
            const QString& k = all[int(rng() % all.size())];
            probes << k.left(1 + int(rng() % 6))
                   << k.mid(int(rng() % std::max<qsizetype>(1, k.size())), 3);
        }
        for (const QString& p : probes) {
            const QString fp = title::foldText(p);
            qint32 expect = 0;
            while (expect < folded.size() && folded[expect].toStdU32String() < fp.toStdU32String())
                ++expect;
            EXPECT_EQ(lMVWordWheelPrefix(w, p), expect) << id << " prefix " << p.toStdString();

            for (const QString& pattern :
                 {p + "*", p, "?" + p + "*", "*" + p, p + "?*", p + "*s", "*" + p + "*",
                  "??" + p + "*", "*" + p.left(2) + "?", "?" + p.right(1) + "*e*"}) {
                const QRegularExpression re = modelPattern(pattern);
                QStringList expected;
                for (int i = 0; i < all.size(); ++i)
                    for (const QString& s : suffixes[size_t(i)])
                        if (re.match(s).hasMatch()) {
                            expected << QStringLiteral("%1:%2").arg(i).arg(all[i]);
                            break;
                        }
                EXPECT_EQ(search(w, pattern), expected)
                    << id << " pattern " << pattern.toStdString();
            }
        }
    }
}

TEST_F(IndexModelTest, EveryKeywordFindsItsTopics) {
    const MVHandle t = open(s_dir->filePath("Music.M14"));
    const MVHandle w = wheel(t, "3");
    const QStringList all = keywords(w);
    for (const QString& k : all) {
        const qint32 n = nMVKeyIndexGetCount(w, k);
        ASSERT_GT(n, 0) << k.toStdString();
        for (qint32 a : topics(w, k)) {
            MVTopic topic;
            ASSERT_TRUE(bMVGetTopic(t, a, topic));
            ASSERT_EQ(topic.kind, QChar('R'));
        }
    }
}

// Renames the sections with this tag, so the reader no longer finds them.
void hideSections(QByteArray& bytes, uint32_t tag) {
    auto* d = reinterpret_cast<uint8_t*>(bytes.data());
    const uint32_t count = title::rd32(d + 12);
    const uint64_t dir = title::rd64(d + 24);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* e = d + dir + 24 * uint64_t(i);
        if (title::rd32(e) == tag) e[0] = 'x';
    }
}

TEST_F(IndexModelTest, TopSamplesAndGramIndexAnswerAsWithoutThemAndSurviveDamage) {
    // The bundled demo catalogue: wheels large enough for several top samples.
    QFile f(QStringLiteral(KV_APP_DIR "/Music.M14"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QByteArray plain = bytes;
    hideSections(plain, title::kTagGrams);
    hideSections(plain, title::kTagGramPostings);
    hideSections(plain, title::kTagKeyTopSamples);
    QByteArray broken = bytes;
    {
        // Every list an unterminated varint, every count the largest possible.
        auto* d = reinterpret_cast<uint8_t*>(broken.data());
        const uint64_t dir = title::rd64(d + 24);
        for (uint32_t i = 0; i < title::rd32(d + 12); ++i) {
            const uint8_t* e = d + dir + 24 * uint64_t(i);
            const uint64_t off = title::rd64(e + 8), size = title::rd64(e + 16);
            if (title::rd32(e) == title::kTagGramPostings) std::memset(d + off, 0x80, size);
            if (title::rd32(e) == title::kTagGrams)
                for (uint64_t g = 0; g + 16 <= size; g += 16)
                    std::memset(d + off + g + 4, 0xFF, 4);
        }
    }
    const auto indexed = title::TitleFile::fromBytes(bytes);
    const auto scanned = title::TitleFile::fromBytes(plain);
    const auto damaged = title::TitleFile::fromBytes(broken);
    ASSERT_TRUE(indexed && scanned && damaged);
    const title::KeywordIndex* k = indexed->keywords(indexed->wheel('3')->physical);
    const title::KeywordIndex* s = scanned->keywords(scanned->wheel('3')->physical);
    const title::KeywordIndex* x = damaged->keywords(damaged->wheel('3')->physical);
    ASSERT_TRUE(k->hasGramIndex());
    ASSERT_FALSE(s->hasGramIndex());
    ASSERT_GT(k->size(), 64u * 64u * 2) << "the top samples have more than one entry";
    std::string scratch;
    for (uint32_t i = 0; i < k->size(); i += 7) {
        std::string_view f;
        ASSERT_TRUE(k->folded(i, f, scratch));
        for (const std::string& probe : {std::string(f), std::string(f.substr(0, 2)),
                                         std::string(f) + "~", std::string(f.substr(0, 9))})
            ASSERT_EQ(k->lowerBound(probe), s->lowerBound(probe)) << probe;
    }
    for (const char16_t* p : {u"*the*", u"?he*", u"*\u00E9*", u"*o?", u"?", u"*a*e*i*", u"*zzq*",
                              u"??", u"*, t*", u"*e", u"?b*", u"*ss", u"?he*s", u"?ove*", u"*ove*",
                              u"*th*", u"*o*", u"?\u00E9*"}) {
        const title::Pattern pattern = title::Pattern::parse(QStringView(p));
        std::vector<uint32_t> a, b, c;
        bool allA, allB, allC;
        k->search(pattern, a, allA);
        s->search(pattern, b, allB);
        EXPECT_EQ(a, b) << QString::fromUtf16(p).toStdString();
        // Damaged lists yield nothing; wildcards alone never touch them, nor does "?" and
        // text (answered from the word starts).
        x->search(pattern, c, allC);
        const bool literal = std::any_of(pattern.tokens.begin(), pattern.tokens.end(),
                                         [](auto& t) { return t.kind == title::Pattern::Literal; });
        const bool wordStarts = pattern.tokens.size() >= 2 &&
                                pattern.tokens[0].kind == title::Pattern::Any &&
                                pattern.tokens[1].kind == title::Pattern::Literal;
        EXPECT_EQ(c, literal && !wordStarts ? std::vector<uint32_t>() : a)
            << QString::fromUtf16(p).toStdString();
    }
}

} // namespace
