#include "db/DBEngine.h"

#include "core/ErrorTable.h"
#include "core/VbError.h"
#include "db/Workgroup.h"

namespace kv {

Workspace DBEngine::CreateWorkspace(const QString& name, const QString& user,
                                    const QString& password) const {
    if (m_systemDB.isEmpty()) raiseError(err::WorkgroupFileMissing);
    const db::WorkgroupFile wg = db::WorkgroupFile::read(m_systemDB);
    if (!wg.verify(user, password)) raiseError(err::NotValidAccount);
    auto state = std::make_shared<Workspace::State>();
    state->name = name;
    state->user = user;
    return Workspace(std::move(state));
}

QString Workspace::Name() const {
    return m_state ? m_state->name : QString();
}

QString Workspace::UserName() const {
    return m_state ? m_state->user : QString();
}

Database Workspace::OpenDatabase(const QString& path, bool, bool readOnly) const {
    if (!m_state) raiseError(err::ObjectNotSet);
    if (!m_state->open) raiseError(err::ObjectInvalid);
    return Database::open(path, readOnly);
}

void Workspace::Close() {
    if (m_state) m_state->open = false;
}

} // namespace kv
