#pragma once

#include "db/DaoConstants.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;

namespace kv::db {

// One field of a table as the program sees it: the engine's type and size, read from the
// column's declared type (see docs/database.md for the mapping).
struct FieldInfo {
    QString name;
    int type = dbText;
    int size = 255; // text: characters; other types: bytes of the value
    int column = 0; // position in the table, from 0
    bool autoIncrement = false;
    bool required = false;
    bool noCase = false;   // declared with the case-insensitive collation
    QVariant defaultValue; // invalid = none (Null)
};

struct IndexInfo {
    QString name;             // the engine's name ("PrimaryKey"); compared without regard to case
    QString sqlName;          // the SQLite name ("<table>.<name>")
    std::vector<int> columns; // field positions, in key order
    std::vector<QString> collations;
    bool unique = false;
    bool descending = false; // some key column sorts descending
};

struct TableInfo {
    QString name;
    std::vector<FieldInfo> fields;
    std::vector<IndexInfo> indexes;
    bool hasRowid = true;
    int autoIncrementField = -1;

    // -1 when there is no such field / index; names compare without regard to case.
    int fieldIndex(QStringView name) const;
    const IndexInfo* index(QStringView name) const;

private:
    friend class Schema;
    QHash<QString, int> m_byName;
};

// The tables of one database, read from SQLite's own catalogue and re-read when the schema
// changes. Table names compare without regard to case.
class Schema {
public:
    void load(sqlite3* db);
    const TableInfo* table(QStringView name) const;
    std::shared_ptr<const TableInfo> shared(QStringView name) const;
    QStringList tableNames() const;
    int cookie() const { return m_cookie; }
    void setCookie(int c) { m_cookie = c; }

    // The engine's field type and size for a declared SQLite type.
    static void typeFromDeclared(const QString& declared, int& type, int& size);

private:
    std::vector<std::shared_ptr<TableInfo>> m_tables;
    QHash<QString, int> m_byName;
    int m_cookie = -1;
};

// The case-folded key under which names are looked up.
inline QString nameKey(QStringView name) {
    return name.toString().toCaseFolded();
}

} // namespace kv::db
