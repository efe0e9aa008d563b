#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace kv::db {

// The workgroup file ("KORDB.MDW"): the accounts that may log in, each kept as a salted,
// slow password hash (PBKDF2-HMAC-SHA256), never the password itself. The format is in
// docs/database.md; the reader trusts nothing in the file and answers 3173 for anything
// that is not a complete, unchanged workgroup file.
struct WorkgroupAccount {
    QString user;
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

class WorkgroupFile {
public:
    static constexpr int kDefaultIterations = 120000;

    // Reads and checks a workgroup file: 3028 when it cannot be read, 3173 when it is not
    // a workgroup file.
    static WorkgroupFile read(const QString& path);
    // The same check of a file's bytes (path only names it in messages).
    static WorkgroupFile parse(const QByteArray& data, const QString& path);
    // Writes the file whole (through a temporary file renamed over the old one).
    void write(const QString& path) const;

    void addAccount(const QString& user, const QString& password,
                    int iterations = kDefaultIterations);
    // True when the account exists (names compare without regard to case) and the
    // password is its password (exactly).
    bool verify(const QString& user, const QString& password) const;
    const std::vector<WorkgroupAccount>& accounts() const { return m_accounts; }

    static QByteArray pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations);

private:
    std::vector<WorkgroupAccount> m_accounts;
};

} // namespace kv::db
