#include "db/Transaction.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "db/Connection.h"

#include <sqlite3.h>

namespace kv {

namespace {

// Undoes everything since the savepoint and ends it. The outermost scope rolls the whole
// transaction back: its own savepoint released after a rollback would be a commit, which
// can fail on a bad disk and leave SQLite's transaction open.
void rollBack(db::Connection& c, const QByteArray& name, int depth) {
    if (depth == 0) {
        if (!sqlite3_get_autocommit(c.raw())) c.exec("ROLLBACK");
        return;
    }
    c.exec("ROLLBACK TO " + name);
    c.exec("RELEASE " + name);
}

} // namespace

Transaction::Transaction(const Database& database) : m_conn(database.connection()) {
    if (!m_conn) raiseError(err::ObjectNotSet);
    m_name = "kv_t" + QByteArray::number(m_conn->transactionDepth);
    m_conn->exec("SAVEPOINT " + m_name);
    ++m_conn->transactionDepth;
}

Transaction::~Transaction() {
    if (m_done || !m_conn->isOpen()) return;
    --m_conn->transactionDepth;
    try {
        rollBack(*m_conn, m_name, m_conn->transactionDepth);
    } catch (...) {
        // Nothing more can be done here; SQLite rolls back what was not committed.
    }
}

void Transaction::commit() {
    if (m_done) raiseError(err::TransactionNotBegun);
    m_done = true;
    --m_conn->transactionDepth;
    try {
        m_conn->exec("RELEASE " + m_name);
    } catch (...) {
        // A commit that failed (the disk) may leave the transaction open, and everything
        // written afterwards would then never be committed: it is rolled back, as the
        // caller is about to be told.
        try {
            rollBack(*m_conn, m_name, m_conn->transactionDepth);
        } catch (...) {
        }
        throw;
    }
}

} // namespace kv
