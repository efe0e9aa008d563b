#include "core/RecordHelpers.h"
#include "fakes/Fakes.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ProcessEnded;
using kv::test::TestContext;

namespace {

// Runs a conversion that must end the program; returns the one box it showed.
template <typename F> QString fatalConversionText(TestContext& t, F&& f) {
    EXPECT_THROW(f(), ProcessEnded);
    EXPECT_EQ(t.process.ends, 1);
    EXPECT_EQ(t.messages.boxes.size(), 1u);
    return t.messages.boxes.empty() ? QString() : t.messages.last().text;
}

} // namespace

TEST(NullConversion, NullGivesTheDefaultAndEmptyTextIsNotNull) {
    TestContext t;
    EXPECT_EQ(strCheckNull(Null(), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(strCheckNull(QVariant(QString()), QStringLiteral("dflt")), QString());
    EXPECT_EQ(intCheckNull(Null(), 7), 7);
    EXPECT_EQ(dblCheckNull(Null(), 1.5), 1.5);
    EXPECT_EQ(CurCheckNull(Null(), 2.25), 2.25);
    EXPECT_EQ(sngCheckNull(Null(), 0.5f), 0.5f);
    EXPECT_TRUE(bCheckNull(Null(), true));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST(NullConversion, ConvertsValuesTheClassicWay) {
    TestContext t;
    EXPECT_EQ(strCheckNull(QVariant(true)), QStringLiteral("True"));
    EXPECT_EQ(strCheckNull(QVariant(1.5)), QStringLiteral("1.5"));
    EXPECT_EQ(strCheckNull(QVariant(42)), QStringLiteral("42"));
    EXPECT_EQ(intCheckNull(QVariant(QStringLiteral(" 12 "))), 12);
    // Integer conversion rounds half to even.
    EXPECT_EQ(intCheckNull(QVariant(2.5)), 2);
    EXPECT_EQ(intCheckNull(QVariant(3.5)), 4);
    EXPECT_EQ(intCheckNull(QVariant(true)), -1);
    EXPECT_EQ(CurCheckNull(QVariant(1.234567)), 1.2346);
    EXPECT_TRUE(bCheckNull(QVariant(QStringLiteral("true"))));
    EXPECT_FALSE(bCheckNull(QVariant(0)));
    EXPECT_TRUE(bCheckNull(QVariant(-1)));
    EXPECT_TRUE(t.messages.boxes.empty());
}

TEST(NullConversion, UnconvertibleValueShowsItsOwnBoxAndEndsTheProgram) {
    {
        TestContext t;
        EXPECT_EQ(fatalConversionText(t, [] { intCheckNull(QVariant(QStringLiteral("abc"))); }),
                  QStringLiteral("Error in intCheckNull - 13 - Type mismatch"));
        EXPECT_EQ(t.messages.last().title, QString()); // a plain box: the application title
    }
    {
        TestContext t;
        EXPECT_EQ(fatalConversionText(t, [] { intCheckNull(QVariant(40000)); }),
                  QStringLiteral("Error in intCheckNull - 6 - Overflow"));
    }
    {
        TestContext t;
        EXPECT_EQ(fatalConversionText(t, [] { bCheckNull(QVariant(QStringLiteral("yes"))); }),
                  QStringLiteral("Error in bCheckNull - 13 - Type mismatch"));
    }
    {
        TestContext t;
        EXPECT_EQ(fatalConversionText(t, [] { sngCheckNull(QVariant(1e300)); }),
                  QStringLiteral("Error in sngCheckNull - 6 - Overflow"));
    }
}

TEST(EmptyToNull, OnlyTheEmptyTextBecomesNull) {
    EXPECT_TRUE(isNull(varEmptytoNull(QString())));
    EXPECT_TRUE(isNull(varEmptytoNull(QStringLiteral(""))));
    EXPECT_EQ(varEmptytoNull(QStringLiteral(" ")), QVariant(QStringLiteral(" ")));
    EXPECT_EQ(varEmptytoNull(QStringLiteral("x")), QVariant(QStringLiteral("x")));
}

TEST(QuoteDoubling, EveryQuoteIsDoubledSoTheLiteralCannotEnd) {
    EXPECT_EQ(strCheck_Quote(Null()), QString());
    EXPECT_EQ(strCheck_Quote(QStringLiteral("no quotes")), QStringLiteral("no quotes"));
    EXPECT_EQ(strCheck_Quote(QStringLiteral("a\"\"b")), QStringLiteral("a\"\"\"\"b"));
    EXPECT_EQ(strCheck_Quote(QStringLiteral("\"")), QStringLiteral("\"\""));
    EXPECT_EQ(strCheck_Quote(QStringLiteral("x\" OR \"1\"=\"1")), QStringLiteral("x\"\" OR \"\"1\"\"=\"\"1"));
    // An odd run of quotes inside a literal stays balanced after doubling.
    const QString quoted = QLatin1Char('"') + strCheck_Quote(QStringLiteral("12\" single")) + QLatin1Char('"');
    EXPECT_EQ(quoted.count(QLatin1Char('"')) % 2, 0);
}

TEST(Pause, WaitsOnTheSuppliedClockUntilTheRequestedTime) {
    qint64 now = 86'399'000; // one second before midnight on a time-of-day clock
    int pumps = 0;
    pauseWith(
        2.0f, [&] { return now; },
        [&](int maxWait) {
            ++pumps;
            EXPECT_GT(maxWait, 0);
            now += 100;
        });
    EXPECT_EQ(now, 86'399'000 + 2000);
    EXPECT_EQ(pumps, 20);
}

TEST(Pause, NothingToWaitForReturnsAtOnce) {
    int pumps = 0;
    const auto clock = [] { return qint64(0); };
    const auto pump = [&](int) { ++pumps; };
    pauseWith(0.0f, clock, pump);
    pauseWith(-3.0f, clock, pump);
    pauseWith(std::nanf(""), clock, pump);
    EXPECT_EQ(pumps, 0);
}

TEST(Pause, ProcessesEventsWhileWaiting) {
    TestContext t;
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    Pause(0.1f);
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_TRUE(t.messages.boxes.empty());
}
