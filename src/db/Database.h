#pragma once

#include "db/DaoConstants.h"
#include "db/Recordset.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace kv {

namespace db {
class Connection;
}

// An open database file (a handle; copies share it). Opened through a Workspace, or
// directly with open() by the tool, the tests and the benchmarks.
class Database {
public:
    Database() = default;
    bool isNull() const { return !m_conn; }
    explicit operator bool() const { return bool(m_conn); }

    // Opens an existing file: 3024 when it is missing, 3343 when it is not a database.
    static Database open(const QString& path, bool readOnly = false);
    // Creates an empty database file (or opens it when it exists) for building one.
    static Database create(const QString& path);

    // A table by name (table-type by default) or a SELECT in the program's dialect
    // (dynaset by default). type: 0 for the default, dbOpenTable, dbOpenDynaset,
    // dbOpenSnapshot or dbOpenForwardOnly; options: dbReadOnly. A table that does not exist
    // gives 3011.
    Recordset OpenRecordset(const QString& source, int type = 0, int options = 0) const;

    // Runs an action statement (DELETE, UPDATE, INSERT) in the program's dialect, as a
    // whole or not at all; any error fails it (dbFailOnError is implied).
    void Execute(const QString& statement, int options = dbFailOnError);
    int RecordsAffected() const { return m_affected; }

    QString Name() const;
    QStringList TableNames() const;
    bool isOpen() const;
    void Close();

    std::shared_ptr<db::Connection> connection() const { return m_conn; }

private:
    explicit Database(std::shared_ptr<db::Connection> c) : m_conn(std::move(c)) {}
    db::Connection& conn() const;
    std::shared_ptr<db::Connection> m_conn;
    int m_affected = 0;
};

} // namespace kv
