#pragma once

#include "db/Database.h"

#include <QByteArray>
#include <memory>

namespace kv {

// A scope in which several changes are committed together: everything written through the
// database inside it is rolled back unless commit() is called. Scopes nest.
class Transaction {
public:
    explicit Transaction(const Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    std::shared_ptr<db::Connection> m_conn;
    QByteArray m_name;
    bool m_done = false;
};

} // namespace kv
