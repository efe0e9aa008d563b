#pragma once

#include "platform/SecretStore.h"

#include <memory>

namespace kv {

// The desktop's secret store through QtKeychain (the Secret Service or KWallet), under the
// service name given. Its insecure fallback (a plain settings file) is never used: where no
// store answers within the wait, the answer is NoStore and nothing is written. The wait is
// long enough for the user to unlock a locked keyring in the store's own prompt.
class QtSecretStore : public ISecretStore {
public:
    explicit QtSecretStore(QString service, int waitSeconds = 60);
    SecretAnswer read(const QString& key) override;
    SecretAnswer write(const QString& key, const QByteArray& secret) override;
    SecretAnswer remove(const QString& key) override;

private:
    QString m_service;
    int m_waitSeconds;
};

} // namespace kv
