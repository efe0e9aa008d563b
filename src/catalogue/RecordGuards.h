#pragma once

// Scope guards the stores of the catalogue database share.

#include "db/DaoConstants.h"
#include "db/Recordset.h"
#include "platform/AppContext.h"

namespace kv {

// Drops an unsaved AddNew or Edit buffer on every way out, so a failed Update never leaves
// a long-lived cursor in edit mode.
class EditGuard {
public:
    explicit EditGuard(Recordset& rs) : m_rs(rs) {}
    ~EditGuard() {
        try {
            if (m_rs.isOpen() && m_rs.EditMode() != dbEditNone) m_rs.CancelUpdate();
        } catch (...) {
        }
    }
    EditGuard(const EditGuard&) = delete;
    EditGuard& operator=(const EditGuard&) = delete;

private:
    Recordset& m_rs;
};

// The normal pointer while a modal dialog is up, whatever busy scopes are open around it;
// the hourglass comes back with the same depth afterwards.
class PointerReleased {
public:
    PointerReleased() : m_pointer(ctx().services.busy.get()) {
        if (m_pointer) {
            m_depth = m_pointer->depth();
            m_pointer->reset();
        }
    }
    ~PointerReleased() {
        for (int k = 0; m_pointer && k < m_depth; ++k)
            m_pointer->setBusy();
    }
    PointerReleased(const PointerReleased&) = delete;
    PointerReleased& operator=(const PointerReleased&) = delete;

private:
    IBusyPointer* m_pointer;
    int m_depth = 0;
};

} // namespace kv
