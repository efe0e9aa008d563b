#include "shopping/UserDetailsStore.h"

#include "core/RecordHelpers.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "shopping/CardSeal.h"

namespace kv {

namespace {

QString text(const Recordset& rs, const char* field) {
    return strCheckNull(rs.value(QString::fromLatin1(field)));
}

} // namespace

void UserDetailsStore::open(const Database& database) {
    close();
    // What the user takes out of the table (a card number, a whole row) must not linger in
    // the file's free space, where it would still be read from the disk.
    if (auto connection = database.connection()) connection->exec("PRAGMA secure_delete=ON");
    m_rs = database.OpenRecordset(kUserDataTable, dbOpenTable);
}

void UserDetailsStore::close() {
    if (m_rs && m_rs.isOpen()) m_rs.Close();
    m_rs = Recordset();
}

bool UserDetailsStore::hasRow() {
    if (m_rs.RecordCount() == 0) return false;
    m_rs.MoveFirst();
    return true;
}

StoredUserDetails UserDetailsStore::load() {
    StoredUserDetails s;
    if (!hasRow()) return s;
    UserDetails& d = s.details;
    d.Name = text(m_rs, "User Name");
    d.Address = text(m_rs, "Address");
    d.PostCode = text(m_rs, "PostCode");
    d.Phone = text(m_rs, "Phone");
    d.Fax = text(m_rs, "Fax");
    d.EMail = text(m_rs, "EMail");
    d.CardType = text(m_rs, "Card Type");
    d.CardName = text(m_rs, "Card Name");
    d.Expires = text(m_rs, "Expires");
    const QString stored = text(m_rs, "Card Number");
    s.rememberDetails = true;
    s.rememberCard = !stored.isEmpty();
    if (!Card_Open(stored, d.CardNumber, s.cardUnreadableWhy)) {
        s.cardUnreadable = true;
        s.sealedCard = stored;
    } else if (isSealedCard(stored)) {
        s.sealedCard = stored;
    }
    return s;
}

void UserDetailsStore::save(const UserDetails& d, bool rememberDetails, bool rememberCard,
                            const QString& storedCard) {
    if (!rememberDetails) {
        if (hasRow()) m_rs.Delete();
        return;
    }
    if (hasRow())
        m_rs.Edit();
    else
        m_rs.AddNew();
    updateOrCancel(m_rs, [&] {
        const auto put = [&](const char* field, const QString& value) {
            m_rs.setValue(QString::fromLatin1(field), varEmptytoNull(value));
        };
        put("User Name", d.Name);
        put("Address", d.Address);
        put("PostCode", d.PostCode);
        put("Phone", d.Phone);
        put("Fax", d.Fax);
        put("EMail", d.EMail);
        put("Card Type", rememberCard ? d.CardType : QString());
        put("Card Name", rememberCard ? d.CardName : QString());
        put("Card Number", rememberCard ? storedCard : QString());
        put("Expires", rememberCard ? d.Expires : QString());
    });
}

} // namespace kv
