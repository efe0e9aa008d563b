#include "db/Transaction.h"

#include "db/Connection.h"
#include "core/ErrorTable.h"
#include "core/VbError.h"

namespace kv {

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
        m_conn->exec("ROLLBACK TO " + m_name);
        m_conn->exec("RELEASE " + m_name);
    } catch (...) {
        // Nothing more can be done here; SQLite rolls back what was not committed.
    }
}

void Transaction::commit() {
    if (m_done) raiseError(err::TransactionNotBegun);
    m_done = true;
    --m_conn->transactionDepth;
    m_conn->exec("RELEASE " + m_name);
}

} // namespace kv
