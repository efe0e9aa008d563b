#pragma once

#include "db/Schema.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <list>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace kv::db {

// One open SQLite connection with the settings every catalogue database runs under, the
// program's collation and functions, a cache of prepared statements and the schema.
// The layer is used from one thread.
class Connection {
public:
    // Opens an existing database file (never creates one unless create is set). Raises
    // 3024 when the file is missing, 3343 when it is not a database, 3049 when damaged.
    static std::shared_ptr<Connection> open(const QString& path, bool readOnly,
                                            bool create = false);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* raw() const { return m_db; }
    const QString& path() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    bool readOnly() const { return m_readOnly; }
    void close();

    // A prepared statement from the cache, reset and with its bindings cleared.
    sqlite3_stmt* prepare(const QByteArray& sql);
    // Runs statements that return no rows.
    void exec(const QByteArray& sql);
    // Raises the engine error for a SQLite result code (and the connection's message).
    [[noreturn]] void fail(int rc) const;

    // Changes whenever a statement of the cache is finalized; a statement remembered from
    // prepare() stays valid while it is unchanged.
    quint64 statementGeneration() const { return m_generation; }

    // Changes whenever this connection has written anything; caches of rows compare it.
    qint64 changeStamp() const;
    // The schema, re-read when SQLite's schema cookie moved.
    const Schema& schema();

    // Nesting depth of open transactions (savepoints).
    int transactionDepth = 0;

private:
    Connection();
    void configure();

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    Schema m_schema;
    struct Cached {
        sqlite3_stmt* stmt;
        std::list<QByteArray>::iterator lru;
    };
    QHash<QByteArray, Cached> m_statements;
    std::list<QByteArray> m_lru;
    quint64 m_generation;
};

// A statement of the connection's cache kept by its user between calls, sparing the look-up
// by text; looked up again only when the cache finalized something since.
class CachedStatement {
public:
    CachedStatement() = default;
    explicit CachedStatement(QByteArray sql) : m_sql(std::move(sql)) {}
    const QByteArray& sql() const { return m_sql; }
    bool isEmpty() const { return m_sql.isEmpty(); }
    void setSql(QByteArray sql) {
        m_sql = std::move(sql);
        m_stmt = nullptr;
    }
    sqlite3_stmt* get(Connection& c);

private:
    QByteArray m_sql;
    sqlite3_stmt* m_stmt = nullptr;
    const Connection* m_conn = nullptr;
    quint64 m_generation = 0;
};

// Runs one prepared statement from the cache and resets it on every way out, so that no
// statement stays active between calls of the layer (an active statement would hold the
// read lock and delay the commit of autocommitted writes).
class Query {
public:
    Query(Connection& c, const QByteArray& sql);
    // A statement whose every parameter the caller binds on each use: its bindings are
    // not cleared afterwards (unless a large value was bound).
    Query(Connection& c, CachedStatement& statement);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void bind(int index, const QVariant& value); // from 1
    void bindInt(int index, qint64 value);
    void bindNull(int index);
    void bindText(int index, const QByteArray& utf8);
    void bindString(int index, const QString& text);
    // True while there is a row; raises on error.
    bool step();
    sqlite3_stmt* stmt() const { return m_stmt; }
    Connection& connection() const { return m_conn; }
    QVariant value(int column) const;
    qint64 intValue(int column) const;

private:
    Connection& m_conn;
    sqlite3_stmt* m_stmt;
    bool m_clear = true;
};

// Maps a SQLite result code, its extended code and message to the engine's error.
[[noreturn]] void raiseSqlite(sqlite3* db, int rc);

// Quotes a name for SQLite: "name" with inner quotes doubled.
QString quoteName(const QString& name);
// Quotes text as a SQLite literal: 'text' with inner single quotes doubled.
QString quoteText(const QString& text);

} // namespace kv::db
