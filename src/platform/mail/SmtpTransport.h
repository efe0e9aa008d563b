#pragma once

#include "platform/Mail.h"

namespace kv::mail {

// Sends through the user's mail server with libcurl: always over TLS (from the first byte,
// or STARTTLS before anything else is said), the server's certificate always verified, the
// transfer on a worker thread while the user-interface thread goes on handling events, and
// every wait bounded by the account's time limit. Nothing it sends or receives is written
// anywhere; only the server's answers are kept, in memory, for the message to the user.
class SmtpTransport : public IMailTransport {
public:
    explicit SmtpTransport(MailAccount account);
    bool isServer() const override { return true; }
    bool encrypted() const override { return true; }
    bool needsPassword() const override { return !m_account.userName.isEmpty(); }
    QString description() const override;
    MailOutcome send(const OutgoingMail& mail, const QString& password) override;

private:
    MailAccount m_account;
};

// The time limit of an account, bounded to what a person would wait.
int boundedTimeout(int seconds);

} // namespace kv::mail
