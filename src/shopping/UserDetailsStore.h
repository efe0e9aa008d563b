#pragma once

// The one-row table "User Data": the user's details as remembered between runs. It holds
// the details only when the user asks for it ("Remember Details"), the card part only when
// the user asks for that too ("Remember Card Details"), and the card number only sealed.
// No widgets here: the user details dialog keeps one of these open while it is loaded.

#include "db/Recordset.h"
#include "shopping/UserDetails.h"

#include <QString>

namespace kv {

class Database;

inline const QString kUserDataTable = QStringLiteral("User Data");

// What the table holds, as the dialog shows it.
struct StoredUserDetails {
    UserDetails details;
    bool rememberDetails = false; // the table has a row
    bool rememberCard = false;    // the row has a card number
    // The row's card number could not be opened (its key is missing or another): the
    // details show no number, and the sealed value is kept as it is until the user enters
    // a new one.
    bool cardUnreadable = false;
    QString cardUnreadableWhy;
    QString sealedCard;
};

class UserDetailsStore {
public:
    // Opens the table as a table cursor; raises the engine's error.
    void open(const Database& database);
    void close();
    bool isOpen() const { return m_rs && m_rs.isOpen(); }

    // Reads the row (Null as ""), or empty details when there is none. A sealed card number
    // is opened; raises the engine's error.
    StoredUserDetails load();

    // Remembers the details, or forgets them: with rememberDetails the row is edited (or
    // added) with the name and contact fields, and the card fields too with rememberCard
    // (Null otherwise); without it the row is deleted. The card number is written as
    // `storedCard` gives it (sealed by the caller, or a sealed value kept as it was); the
    // details' own number is never written. A change that fails leaves the row as it was
    // and raises the engine's error.
    void save(const UserDetails& details, bool rememberDetails, bool rememberCard,
              const QString& storedCard);

private:
    bool hasRow();
    Recordset m_rs;
};

} // namespace kv
