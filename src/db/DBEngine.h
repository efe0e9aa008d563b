#pragma once

#include "db/Workspace.h"

#include <QString>

namespace kv {

// The database engine: the workgroup-file setting and log-in.
class DBEngine {
public:
    QString SystemDB() const { return m_systemDB; }
    void setSystemDB(const QString& path) { m_systemDB = path; }

    // Logs in with the accounts of the workgroup file: 3028 when it cannot be read, 3173
    // when it is not a workgroup file, 3029 for a wrong account name or password.
    Workspace CreateWorkspace(const QString& name, const QString& user,
                              const QString& password) const;

private:
    QString m_systemDB;
};

} // namespace kv
