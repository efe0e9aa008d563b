#pragma once

// A secret store that keeps its secrets in memory (or stands for a desktop without one), and
// a mail service whose transport records what it was given and answers from a script.

#include "platform/AppContext.h"
#include "platform/Mail.h"
#include "platform/SecretStore.h"

#include <QHash>
#include <deque>
#include <vector>

namespace kv::test {

class FakeSecretStore : public ISecretStore {
public:
    SecretAnswer read(const QString& key) override {
        ++reads;
        if (!available) return {SecretStatus::NoStore, {}, {}};
        if (!secrets.contains(key)) return {SecretStatus::NotFound, {}, {}};
        return {SecretStatus::Ok, secrets.value(key), {}};
    }
    SecretAnswer write(const QString& key, const QByteArray& secret) override {
        if (!available) return {SecretStatus::NoStore, {}, {}};
        secrets.insert(key, secret);
        return {SecretStatus::Ok, {}, {}};
    }
    SecretAnswer remove(const QString& key) override {
        if (!available) return {SecretStatus::NoStore, {}, {}};
        secrets.remove(key);
        return {SecretStatus::Ok, {}, {}};
    }
    bool available = true;
    QHash<QString, QByteArray> secrets;
    int reads = 0;
};

// What a fake transport was asked to send.
struct SentMail {
    OutgoingMail mail;
    QString password;
};

class FakeMail : public IMail {
public:
    class Transport : public IMailTransport {
    public:
        explicit Transport(FakeMail& owner) : m_owner(owner) {}
        bool isServer() const override { return m_owner.server; }
        bool encrypted() const override { return m_owner.encrypted; }
        bool needsPassword() const override { return m_owner.needsPassword; }
        QString description() const override { return QStringLiteral("Sent by the fake."); }
        MailOutcome send(const OutgoingMail& mail, const QString& password) override {
            m_owner.sent.push_back({mail, password});
            if (m_owner.outcomes.empty()) return {MailOutcome::Sent, {}};
            MailOutcome o = m_owner.outcomes.front();
            m_owner.outcomes.pop_front();
            return o;
        }

    private:
        FakeMail& m_owner;
    };

    std::unique_ptr<IMailTransport> open(const MailAccount& account) override {
        accounts.push_back(account);
        if (!startable) return nullptr;
        return std::make_unique<Transport>(*this);
    }

    bool startable = true;
    bool server = true;
    bool encrypted = true;
    bool needsPassword = false;
    std::deque<MailOutcome> outcomes; // answers of the next sends; Sent when none is left
    std::vector<SentMail> sent;
    std::vector<MailAccount> accounts;
};

// Installs the two fakes in the current context and hands them out.
struct MailFakes {
    MailFakes() : mail(*new FakeMail), secrets(*new FakeSecretStore) {
        ctx().services.mail.reset(&mail);
        ctx().services.secrets.reset(&secrets);
    }
    FakeMail& mail;
    FakeSecretStore& secrets;
};

} // namespace kv::test
