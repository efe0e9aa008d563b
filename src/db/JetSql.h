#pragma once

#include "db/Schema.h"

#include <QString>
#include <memory>
#include <vector>

namespace kv::db {

// The program's SQL dialect (that of the original engine) translated to SQLite. The
// translator parses the whole statement and builds the SQLite text from its own pieces,
// so nothing of the input reaches SQLite unparsed: literals are re-quoted, names are
// resolved against the schema and quoted, and anything outside the dialect is refused
// with the engine's syntax errors (3075, 3129, 3131, 3134, 3138, 3141, 3142, 3144) or
// name errors (3061 unknown name, 3078 unknown table, 3085 unknown function).
//
// The dialect: SELECT [DISTINCTROW | DISTINCT | ALL] items FROM table [[AS] alias]
// [WHERE expr] [ORDER BY expr [ASC|DESC], ...]; DELETE [DISTINCTROW] [items] FROM table
// [WHERE expr]; UPDATE [DISTINCTROW] table SET field = expr, ... [WHERE expr];
// INSERT INTO table [(fields)] VALUES (exprs). Names are bare words or [bracketed], may be
// qualified ([T].[F], T.F, [T].*). Literals: "text" or 'text' (doubled quote inside),
// numbers, #date#, True/False/Yes/No/On/Off, Null. Operators: + (adds numbers, joins text,
// Null when either side is Null), & (joins, Null read as empty), - * / \ Mod ^, = <> < >
// <= >=, Like (* ? # [abc] [!abc]), Is [Not] Null, [Not] Between .. And .., [Not] In (..),
// Not, And, Or. Aggregates Count, Sum, Min, Max, Avg in a select list. Text compares
// without regard to case everywhere.

enum class SqlType { Unknown, Null, Bool, Integer, Real, Text, Date, Binary };

struct SelectColumn {
    QString name; // the field name the record set shows
    QString sql;  // SQLite expression
    SqlType type = SqlType::Unknown;
    int fieldType = dbText; // the engine's type for Field::Type()
    int size = 255;
    int baseField = -1; // field of the table it reads unchanged, or -1 for a computed one
    int depth = 1;      // nesting of sql, which a criterion naming the field inherits
};

struct Translation {
    enum Kind { Select, Delete, Update, Insert } kind = Select;
    QString sql; // the whole SQLite statement
    const TableInfo* table = nullptr;
    std::shared_ptr<const TableInfo> tableRef; // keeps table valid across schema reloads
    // Select only.
    std::vector<SelectColumn> columns;
    QString from;    // quoted table name
    QString where;   // SQLite condition, or empty
    QString orderBy; // SQLite order terms, or empty
    bool distinct = false;
    bool aggregate = false;
    // The query reads rows of one table one for one, so each result row is a table row
    // with a rowid (a dynaset can be kept as row keys and updated).
    bool keyed() const {
        return kind == Select && !distinct && !aggregate && table && table->hasRowid;
    }
};

// Translates one statement. Raises the engine's errors for what it does not accept.
Translation translateStatement(const QString& text, const Schema& schema);

// Translates a criterion (a Find or filter condition) evaluated on the rows of a select
// translation: names are its result fields first, then the table's fields.
QString translateCriterion(const QString& text, const Translation& select);

} // namespace kv::db
