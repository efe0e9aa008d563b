#pragma once

// The clauses of the find, filter and sort dialog, built and read back without any widget:
// a criterion on one field in the database's query language, the filter and sort clauses
// made from it, and the way back from a clause to the dialog's entries.

#include <QString>

namespace kv {

namespace match {
constexpr int AnyPart = 0;
constexpr int WholeField = 1;
constexpr int StartOfField = 2;
} // namespace match

// The pieces around the value: operator, delimiter and the wildcards on either side.
struct CriterionParts {
    QString op;
    QString delimiter;
    QString leading;
    QString trailing;
};
CriterionParts criterionParts(int fieldType, int matchMode);

// Why a typed value cannot stand in a criterion: whole-field matches put numbers and dates
// into the clause without quotes, so anything else there would change the clause itself.
enum class ValueProblem { None, NotNumber, NotDate };

struct Criterion {
    QString text; // "[field] " + operator + delimiter + wildcards and value + delimiter
    ValueProblem problem = ValueProblem::None;
};
Criterion buildCriterion(const QString& field, int fieldType, int matchMode, const QString& value);

// What the dialog hands to its screen.
QString filterClause(const Criterion& criterion);
QString sortClause(const QString& field, bool descending);

// A clause read back into the dialog's entries (the last condition of several).
struct ClauseEntries {
    bool ok = false;
    QString field;
    int matchMode = match::AnyPart;
    QString value;
    bool descending = false;
};
ClauseEntries readFilterClause(const QString& clause);
ClauseEntries readSortClause(const QString& clause);

// The messages for a value that does not fit its field.
QString valueProblemText(ValueProblem problem);

} // namespace kv
