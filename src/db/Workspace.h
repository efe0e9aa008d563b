#pragma once

#include "db/Database.h"

#include <QString>
#include <memory>

namespace kv {

// A session of the database engine, created by logging in (DBEngine::CreateWorkspace).
// Databases are opened through it.
class Workspace {
public:
    Workspace() = default;
    bool isNull() const { return !m_state; }
    explicit operator bool() const { return bool(m_state); }

    QString Name() const;
    QString UserName() const;
    // Opens an existing database file (no exclusive or connect options: one user, one
    // process). 3024 when the file is missing, 3343 when it is not a database.
    Database OpenDatabase(const QString& path, bool exclusive = false, bool readOnly = false) const;
    void Close();

private:
    friend class DBEngine;
    struct State {
        QString name;
        QString user;
        bool open = true;
    };
    explicit Workspace(std::shared_ptr<State> s) : m_state(std::move(s)) {}
    std::shared_ptr<State> m_state;
};

} // namespace kv
