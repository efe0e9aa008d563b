// The find, filter and sort dialog's clauses, and the dialog refusing what it cannot serve.

#include "collections/DataControl.h"
#include "db/DaoConstants.h"
#include "fakes/Fakes.h"
#include "search/SearchCriteria.h"
#include "search/fSearch.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

QString criterion(int type, int matchMode, const QString& value, const QString& field = "F") {
    return buildCriterion(field, type, matchMode, value).text;
}

TEST(FindCriteria, DelimitersFollowTheFieldTypeForWholeField) {
    EXPECT_EQ(criterion(dbText, match::WholeField, "Abba"), "[F] = \"Abba\"");
    EXPECT_EQ(criterion(dbMemo, match::WholeField, "note"), "[F] = \"note\"");
    EXPECT_EQ(criterion(dbDate, match::WholeField, "12/31/1999"), "[F] = #12/31/1999#");
    EXPECT_EQ(criterion(dbLong, match::WholeField, " 42 "), "[F] = 42");
    EXPECT_EQ(criterion(dbDouble, match::WholeField, "-1.5"), "[F] = -1.5");
    EXPECT_EQ(criterion(dbBoolean, match::WholeField, "True"), "[F] = True");
}

TEST(FindCriteria, LikeMatchesPutWildcardsAroundTheQuotedValue) {
    EXPECT_EQ(criterion(dbText, match::AnyPart, "ab"), "[F] Like \"*ab*\"");
    EXPECT_EQ(criterion(dbText, match::StartOfField, "ab"), "[F] Like \"ab*\"");
    // Any part on a number is a text match too.
    EXPECT_EQ(criterion(dbLong, match::AnyPart, "12"), "[F] Like \"*12*\"");
    // The user's own wildcards stay; "[" and "#" stand for themselves.
    EXPECT_EQ(criterion(dbText, match::StartOfField, "Vol?*"), "[F] Like \"Vol?**\"");
    EXPECT_EQ(criterion(dbText, match::AnyPart, "[Live] #1"), "[F] Like \"*[[]Live] [#]1*\"");
}

TEST(FindCriteria, AQuoteInTheValueCannotEndTheLiteral) {
    EXPECT_EQ(criterion(dbText, match::WholeField, "12\" single"), "[F] = \"12\"\" single\"");
    EXPECT_EQ(criterion(dbText, match::AnyPart, "\") OR (\"1\"=\"1"),
              "[F] Like \"*\"\") OR (\"\"1\"\"=\"\"1*\"");
}

TEST(FindCriteria, WholeFieldNumbersAndDatesMustBeJustThat) {
    for (const QString bad : {"", "abc", "1) OR (1=1", "1 OR 1=1", "1;", "0x10", "1e5", "12 3"})
        EXPECT_EQ(buildCriterion("F", dbLong, match::WholeField, bad).problem, ValueProblem::NotNumber)
            << bad.toStdString();
    for (const QString bad : {"", "yesterday", "1999#) OR (#2000", "#1/1/2000#", "31/31/1999"})
        EXPECT_EQ(buildCriterion("F", dbDate, match::WholeField, bad).problem, ValueProblem::NotDate)
            << bad.toStdString();
    EXPECT_TRUE(buildCriterion("F", dbLong, match::WholeField, "1) OR (1=1").text.isEmpty());
}

TEST(FindCriteria, FilterAndSortClauses) {
    EXPECT_EQ(filterClause(buildCriterion("Artist", dbText, match::AnyPart, "a")),
              "([Artist] Like \"*a*\")");
    EXPECT_EQ(sortClause("Title", false), "[Title] ");
    // The field part ends with a blank, so two blanks stand before DESC.
    EXPECT_EQ(sortClause("Title", true), "[Title]  DESC");
}

TEST(FindCriteria, ClausesReadBackIntoTheEntries) {
    const struct {
        int type, mode;
        QString value;
    } cases[] = {{dbText, match::AnyPart, "a \"quoted\" [x] #1"},
                 {dbText, match::StartOfField, "Blue"},
                 {dbText, match::WholeField, "Kind of Blue"},
                 {dbDate, match::WholeField, "1999-12-31"},
                 {dbLong, match::WholeField, "42"}};
    for (const auto& c : cases) {
        const ClauseEntries e =
            readFilterClause(filterClause(buildCriterion("Release Date", c.type, c.mode, c.value)));
        EXPECT_TRUE(e.ok);
        EXPECT_EQ(e.field, "Release Date");
        EXPECT_EQ(e.matchMode, c.mode) << c.value.toStdString();
        EXPECT_EQ(e.value, c.value);
    }
    // Of several conditions the newest (last) one.
    const ClauseEntries last = readFilterClause("([Artist] = \"A\") AND ([Title] Like \"B*\")");
    EXPECT_EQ(last.field, "Title");
    EXPECT_EQ(last.value, "B");
    const ClauseEntries sort = readSortClause("[Title]  DESC , [Artist] ");
    EXPECT_EQ(sort.field, "Title");
    EXPECT_TRUE(sort.descending);
    EXPECT_FALSE(readSortClause("[Artist]  , [Title]  DESC").descending);
    EXPECT_FALSE(readFilterClause("").ok);
}

TEST(FindDialog, RefusesAnythingButAGridOnItsDataControl) {
    TestContext t;
    fSearch dialog;
    DataControl data;
    QListView view;
    EXPECT_FALSE(dialog.Find_Record(nullptr, &view));
    EXPECT_FALSE(dialog.Find_Record(&data, nullptr));
    // A grid on another model, and a data control that holds no records.
    EXPECT_FALSE(dialog.Filter_Records(&data, &view, {}, {}, QString()));
    view.setModel(&data);
    EXPECT_FALSE(dialog.Sort_Records(&data, &view, {}, {}, QString()));
    EXPECT_EQ(t.messages.texts(), QStringList(4, "The search form does not support objects of this type"));
    EXPECT_TRUE(t.dialogs.shown.isEmpty());
}

TEST(FindDialog, ModesArrangeTheControls) {
    TestContext t;
    fSearch d;
    const struct {
        int mode;
        const char *in, *button;
        bool direction, match, clear;
        QStringList directions;
        int help;
    } modes[] = {{1, "&Find in:", "Find &First", true, true, false, {"All", "Down", "Up"}, 33},
                 {2, "&Filter in:", "&Apply Filter", false, true, true, {"All", "Down", "Up"}, 34},
                 {3, "&Sort by:", "&Apply Sort", true, false, true, {"Ascending", "Descending"}, 32}};
    for (const auto& m : modes) {
        d.setMode(m.mode);
        EXPECT_EQ(d.lblIn->text(), m.in);
        EXPECT_EQ(d.cmdFindNext->text(), m.button);
        EXPECT_EQ(!d.cboDirection->isHidden(), m.direction);
        EXPECT_EQ(!d.cboMatch->isHidden(), m.match);
        EXPECT_EQ(!d.cboWhat->isHidden(), m.match);
        EXPECT_EQ(!d.cmdClear->isHidden(), m.clear);
        QStringList directions;
        for (int k = 0; k < d.cboDirection->count(); ++k)
            directions << d.cboDirection->itemText(k);
        EXPECT_EQ(directions, m.directions);
        EXPECT_EQ(d.cboDirection->currentIndex(), 0);
        EXPECT_EQ(d.helpContext(), m.help);
        d.cmdHelp->click();
        EXPECT_EQ(t.help.contexts.back(), m.help);
    }
    d.setMode(1);
    d.cboDirection->setCurrentIndex(1);
    EXPECT_EQ(d.cmdFindNext->text(), "Find &Next");
    d.cboDirection->setCurrentIndex(2);
    EXPECT_EQ(d.cmdFindNext->text(), "Find &Previous");
}

// Shown again after the user left it with Cancel, the dialog takes typing and Enter in its
// entries, not on the button pressed last.
TEST(FindDialog, EachShowingStartsAtTheFirstEntry) {
    TestContext t;
    fSearch d;
    const auto focusedIn = [&d](QWidget* entry) {
        QWidget* f = d.focusWidget();
        return f && (f == entry || entry->isAncestorOf(f));
    };
    for (int mode : {1, 2, 3}) {
        d.cmdCancel->setFocus();
        d.cmdCancel->setDefault(true);
        d.setMode(mode);
        EXPECT_TRUE(focusedIn(mode == 3 ? static_cast<QWidget*>(d.cboIn) : d.cboWhat)) << mode;
        EXPECT_TRUE(d.cmdFindNext->isDefault()) << mode;
        EXPECT_FALSE(d.cmdCancel->isDefault()) << mode;
    }
}

} // namespace
