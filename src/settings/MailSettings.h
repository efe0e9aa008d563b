#pragma once

#include "platform/Mail.h"

#include <QString>

namespace kv {

// The mail account lives in the settings store, section "Mail"; its password never does.
// The password is kept in the desktop's secret store when one answers, and otherwise only
// in memory until the program ends.
inline const QString kSectionMail = QStringLiteral("Mail");

// The account as stored (the desktop mail program when nothing is stored).
MailAccount Mail_Account_Load();
// Stores the account; false when the store could not be written (reported as an error).
// The certificate file and the time limit are kept as they are: no dialog shows them.
bool Mail_Account_Save(const MailAccount& account);

// The usual port of a security choice.
int Mail_Default_Port(MailSecurity security);
QString Mail_Security_Text(MailSecurity security);

// The name the account's password is kept under.
QString Mail_Secret_Key(const MailAccount& account);

// The account's password: the one given in this run, else the secret store's (unless the
// server refused it in this run). False when the user must be asked.
bool Mail_Password_Find(const MailAccount& account, QString& password);

// Keeps a password the user just gave for this run only (it goes to the secret store once
// the server has taken it, through Mail_Password_Keep).
void Mail_Password_Remember(const MailAccount& account, const QString& password);

// Where a password was kept.
enum class PasswordKept { SecretStore, ThisRun };
// Keeps the password for this run and, when a secret store answers, in the store too.
PasswordKept Mail_Password_Keep(const MailAccount& account, const QString& password);
// The server refused the password: forget this run's copy and do not offer the stored one
// again in this run, so the user is asked (and the answer replaces the stored one).
void Mail_Password_Refused(const MailAccount& account);

} // namespace kv
