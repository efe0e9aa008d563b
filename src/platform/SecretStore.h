#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

// What a secret store said.
enum class SecretStatus {
    Ok,       // done; for a read, the secret is in the answer
    NotFound, // the store answered and holds nothing under the key
    NoStore,  // no secret store answers on this desktop (none installed, none running, no
              // answer in time): the caller keeps the secret for this run only, or asks again
    Failed,   // a store answered but refused (access denied, locked, damaged)
};

struct SecretAnswer {
    SecretStatus status = SecretStatus::NoStore;
    QByteArray secret;
    QString message; // the store's own words when it refused
    bool ok() const { return status == SecretStatus::Ok; }
};

// The desktop's secret store: passwords and keys by name, for this program only. Nothing
// handed to it is ever written anywhere else; where no store answers, nothing is written at
// all. Each call returns within a bounded time.
class ISecretStore {
public:
    virtual ~ISecretStore() = default;
    virtual SecretAnswer read(const QString& key) = 0;
    virtual SecretAnswer write(const QString& key, const QByteArray& secret) = 0;
    // Removing a key the store does not hold is Ok.
    virtual SecretAnswer remove(const QString& key) = 0;
};

} // namespace kv
