#pragma once

#include <QString>
#include <functional>

namespace kv {

// The customer's details as they stand in the user details dialog: the single source of
// them for orders during a run.
struct UserDetails {
    QString Name;
    QString Address;
    QString PostCode;
    QString Phone;
    QString Fax;
    QString EMail;
    QString CardType;
    QString CardName;
    QString CardNumber;
    QString Expires;
};

// How order composition reaches the dialog's fields: the user details dialog installs the
// reader when it loads (ctx().slot<UserDetailsSource>()). Reading loads the dialog, and
// with it the stored details, when it is not loaded yet.
struct UserDetailsSource {
    std::function<UserDetails()> read;
};

// The details now, or empty ones when no dialog has installed its reader.
UserDetails Current_User_Details();

} // namespace kv
