// The Like operator's patterns on the text the database hands over: ASCII text is matched
// where it lies, anything else through case folding, and both must answer alike.

#include "db/TextRules.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

using kv::db::LikePattern;

namespace {

bool likeUtf8(const QString& text, const QString& pattern) {
    const auto p = LikePattern::compile(pattern);
    EXPECT_TRUE(p.has_value()) << pattern.toStdString();
    const QByteArray utf8 = text.toUtf8();
    const bool inPlace = p && p->matchesUtf8(utf8.constData(), utf8.size());
    // The string route is the reference: the two never differ.
    EXPECT_EQ(inPlace, p && p->matches(text)) << text.toStdString() << " Like " << pattern.toStdString();
    return inPlace;
}

TEST(Like, AsciiTextIsMatchedWithoutRegardToCase) {
    EXPECT_TRUE(likeUtf8("Title 120", "*TITLE 12*"));
    EXPECT_FALSE(likeUtf8("Title 130", "*title 12*"));
    EXPECT_TRUE(likeUtf8("Kind of Blue", "kind*"));
    EXPECT_FALSE(likeUtf8("A Kind of Blue", "kind*"));
    EXPECT_TRUE(likeUtf8("X#9", "x[#]#"));
    EXPECT_FALSE(likeUtf8("XA9", "x[#]#"));
    EXPECT_TRUE(likeUtf8("CAT-1", "[a-c]at-?"));
    EXPECT_TRUE(likeUtf8("Band [live]", "*[[]LIVE]"));
    EXPECT_TRUE(likeUtf8("DAT-1", "[!c]*"));
    EXPECT_FALSE(likeUtf8("cat-1", "[!C]*"));
    EXPECT_TRUE(likeUtf8("", "*"));
    EXPECT_FALSE(likeUtf8("", "?"));
    // Backtracking: the first "a" is not the one that matches.
    EXPECT_TRUE(likeUtf8("abab-abac", "*ab?c"));
    // Characters outside letters keep their own case and place.
    EXPECT_TRUE(likeUtf8("[]^_`{|}~@", "[[]]^_`{|}~@"));
    EXPECT_FALSE(likeUtf8("@", "`"));
}

TEST(Like, OtherTextIsFoldedAndCountedInCharactersNotBytes) {
    EXPECT_TRUE(likeUtf8(QStringLiteral("Café"), "caf?"));
    EXPECT_FALSE(likeUtf8(QStringLiteral("Café"), "caf??"));
    EXPECT_TRUE(likeUtf8(QStringLiteral("ÉCLAIR"), QStringLiteral("éclair")));
    EXPECT_TRUE(likeUtf8(QStringLiteral("Motörhead"), QStringLiteral("*ÖR*")));
    EXPECT_TRUE(likeUtf8(QStringLiteral("Zebra Crossing  (ábba)"), QStringLiteral("*(ÁBBA)*")));
    // A pattern character that folds to ASCII (the Kelvin sign folds to "k") matches
    // ASCII text on both routes.
    EXPECT_TRUE(likeUtf8("kind", QStringLiteral("\u212Aind")));
    EXPECT_TRUE(likeUtf8(QStringLiteral("\u212Aind"), "KIND"));
    // An ASCII set never takes a character outside ASCII, except when negated.
    EXPECT_FALSE(likeUtf8(QStringLiteral("é"), "[a-z]"));
    EXPECT_TRUE(likeUtf8(QStringLiteral("é"), "[!a-z]"));
}

TEST(Like, EveryPatternAgreesOnEveryText) {
    const QStringList patterns{"*",     "?",      "#",       "*a*",   "a*",     "*a",       "[a-z]*",
                               "[!0-9]", "*[#]*", "??#",     "*title*1?*", "[[]*",  QStringLiteral("*é*"),
                               QStringLiteral("ü?"), "*-*-*"};
    const QStringList texts{"",      "a",        "A",       "1",       "Title 12", "title 129", "TITLE 1x0",
                            "[x]",   "#",        "a-b-c",   "ab",      QStringLiteral("é"),  QStringLiteral("Ü1"),
                            QStringLiteral("über"), QStringLiteral("straße"), QStringLiteral("\u212A")};
    for (const QString& p : patterns)
        for (const QString& t : texts)
            likeUtf8(t, p);
}

TEST(Like, MalformedPatternsAreRefused) {
    EXPECT_FALSE(LikePattern::compile(u"[abc").has_value());
    EXPECT_FALSE(LikePattern::compile(u"[z-a]").has_value());
}

} // namespace
