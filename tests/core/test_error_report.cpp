#include "core/ErrorReport.h"
#include "fakes/Fakes.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::test::TestContext;

TEST(ReportError, ShowsNumberDescriptionAndProcedureName) {
    TestContext t;
    t.messages.onShow = [&](const kv::test::ShownBox&) { EXPECT_EQ(t.messages.beeps, 1); };
    Report_Error(err::FileNotFound, QStringLiteral("bOpenCollection_DB"));
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    const auto& box = t.messages.last();
    EXPECT_EQ(box.text, QStringLiteral("Error: 53 File not found\rbOpenCollection_DB"));
    EXPECT_EQ(box.title, QStringLiteral("Error"));
    EXPECT_EQ(box.icon, mb::Critical);
    EXPECT_EQ(box.buttons, mb::OKOnly);
}

TEST(ReportError, EmptyNameGivesOneLineAndAGivenTitleIsUsed) {
    TestContext t;
    Report_Error(err::TypeMismatch, QString(), QStringLiteral("Unable to Pause. "));
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Error: 13 Type mismatch"));
    EXPECT_EQ(t.messages.last().title, QStringLiteral("Unable to Pause. "));
}

TEST(ReportError, EngineErrorsKeepTheirOwnDescription) {
    TestContext t;
    Report_Error(VbError(err::ObjectNotFound, QStringLiteral("Could not find the object 'Collection'")),
                 QStringLiteral("bOpenCollectionHead"));
    EXPECT_EQ(t.messages.last().text,
              QStringLiteral("Error: 3011 Could not find the object 'Collection'\rbOpenCollectionHead"));
}

TEST(Guard, ReportsOnceWithTheProcedureNameAndReturnsFalse) {
    TestContext t;
    bool after = false;
    const bool ok = guarded("bShow_Form", [&]() -> bool {
        raiseError(err::NoCurrentRecord);
        after = true;
        return true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(after);
    ASSERT_EQ(t.messages.boxes.size(), 1u);
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Error: 3021 No current record\rbShow_Form"));
}

TEST(Guard, PassesResultsThroughAndMapsForeignExceptions) {
    TestContext t;
    EXPECT_TRUE(guarded("bA", [] { return true; }));
    EXPECT_FALSE(guarded("bB", [] { return false; }));
    EXPECT_TRUE(guarded("bC", [] {}));
    EXPECT_TRUE(t.messages.boxes.empty());

    EXPECT_FALSE(guarded("bD", []() -> bool { throw std::bad_alloc(); }));
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Error: 7 Out of memory\rbD"));
    EXPECT_FALSE(guarded("bE", []() -> bool { throw std::runtime_error("x"); }));
    EXPECT_EQ(t.messages.last().text, QStringLiteral("Error: 5 Invalid procedure call or argument\rbE"));

    EXPECT_EQ(guardedValue("strF", QStringLiteral("fail"), []() -> QString { raiseError(err::TypeMismatch); }),
              QStringLiteral("fail"));
    EXPECT_EQ(t.messages.boxes.size(), 3u);
}

TEST(ErrorTable, UnknownNumbersHaveTheGenericDescription) {
    EXPECT_EQ(errorDescription(31999), QStringLiteral("Application-defined or object-defined error"));
    EXPECT_EQ(errorDescription(err::DuplicateKey).isEmpty(), false);
}
