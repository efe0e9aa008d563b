// The wrap search of the print engine against cases worked by hand: each width is a number
// of characters, so the first n characters fit when n <= width.

#include "print/CPrint.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Search {
    int result;
    int rounds;
};

Search searchFor(int length, int width) {
    int rounds = 0;
    const int result = print::fittedLength(length, [&](int n) {
        ++rounds;
        return n <= width;
    });
    return {result, rounds};
}

TEST(WrapSearch, HalvesRoundToTheEvenNeighbour) {
    EXPECT_EQ(print::halfToEven(0), 0);
    EXPECT_EQ(print::halfToEven(1), 0);  // 0.5
    EXPECT_EQ(print::halfToEven(3), 2);  // 1.5
    EXPECT_EQ(print::halfToEven(5), 2);  // 2.5
    EXPECT_EQ(print::halfToEven(7), 4);  // 3.5
    EXPECT_EQ(print::halfToEven(25), 12); // 12.5
    EXPECT_EQ(print::halfToEven(12), 6);
}

TEST(WrapSearch, SettlesWhereTheHandWorkedSearchDoes) {
    // 100 characters, 85 fit: 50 fits, 75 fits, 87 (75 + 12.5 to even) does not, 81 fits,
    // 84 fits, 86 (84 + 1.5 to 2) does not, 85 fits and the next step (0.5 to 0) stays.
    Search s = searchFor(100, 85);
    EXPECT_EQ(s.result, 85);
    EXPECT_EQ(s.rounds, 7);

    // 86 fit: after 86 fits the next step lands on 87, the known misfit, and the search
    // stops there: one past the fit, which the " -" cut leaves room for.
    s = searchFor(100, 86);
    EXPECT_EQ(s.result, 87);
    EXPECT_EQ(s.rounds, 6);

    // 40 characters, 39 fit: 20, 30, 35, 37 (35 + 2.5 to 2), 38 (37 + 1) all fit and the
    // step from 38 (0.5 to 0) stays: one short of the best.
    s = searchFor(40, 39);
    EXPECT_EQ(s.result, 38);
    EXPECT_EQ(s.rounds, 5);

    // 10 characters, 3 fit: 5 does not, 2 (2.5 to 2) fits, 3 fits, then 3 + 0.5 to 0.
    s = searchFor(10, 3);
    EXPECT_EQ(s.result, 3);
    EXPECT_EQ(s.rounds, 3);

    // Nothing fits: the empty prefix does, and the search ends at once.
    s = searchFor(1, 0);
    EXPECT_EQ(s.result, 0);
    EXPECT_EQ(s.rounds, 1);
}

TEST(WrapSearch, GivesUpAfterSeventeenRounds) {
    Search s = searchFor(1000000, 999999);
    EXPECT_EQ(s.rounds, 17);
    EXPECT_EQ(s.result, 999994);
    s = searchFor(1000000, 123456);
    EXPECT_EQ(s.rounds, 17);
    EXPECT_EQ(s.result, 123454);
}

TEST(WrapSearch, SplitsOnTheLastBreakCharacterOfTheLast25) {
    EXPECT_EQ(print::splitPosition(QStringLiteral("one two three")), 8);
    EXPECT_EQ(print::splitPosition(QStringLiteral("end.Next")), 4);
    for (const QString& b : {QStringLiteral(","), QStringLiteral(":"), QStringLiteral(";")})
        EXPECT_EQ(print::splitPosition(QStringLiteral("ab") + b + QStringLiteral("cd")), 3) << b.toStdString();
    EXPECT_EQ(print::splitPosition(QStringLiteral("trailing ")), 9);
    EXPECT_EQ(print::splitPosition(QStringLiteral("nobreakhere")), 0);
    EXPECT_EQ(print::splitPosition(QString()), 0);
    // A hyphen is no break character.
    EXPECT_EQ(print::splitPosition(QStringLiteral("well-known")), 0);

    // Exactly 25 back is still looked at; 26 back is not.
    const QString tail(24, QLatin1Char('x'));
    EXPECT_EQ(print::splitPosition(QStringLiteral("a ") + tail), 2);
    EXPECT_EQ(print::splitPosition(QStringLiteral(" a") + tail), 0);
}

} // namespace
