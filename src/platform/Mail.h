#pragma once

#include <QString>
#include <memory>

namespace kv {

// How the connection to a mail server is encrypted. There is no unencrypted choice: the
// password and the order (which may hold card details) never travel in clear.
enum class MailSecurity {
    SslTls,   // TLS from the first byte (usually port 465)
    StartTls, // a plain greeting, then STARTTLS before anything else (usually port 587)
};

// The user's mail account as set up in the mail settings. Without a server the desktop mail
// program is used. The password is not part of it: it lives in the secret store or, where
// none answers, in memory for one run.
struct MailAccount {
    bool useServer = false;
    QString server;
    int port = 465;
    MailSecurity security = MailSecurity::SslTls;
    QString userName; // empty: the server takes mail without a login
    QString address;  // the sender's address
    // Kept in the settings store but in no dialog: the certificate authorities to trust in
    // place of the system's (a private server's own, or a test's). Verification is never
    // switched off.
    QString caFile;
    int timeoutSeconds = 60;

    bool isSetUp() const { return useServer && !server.trimmed().isEmpty(); }
};

// One message to send. The text's lines end as the program writes them (a lone carriage
// return); each transport turns them into what its own side expects.
struct OutgoingMail {
    QString fromName;
    QString fromAddress; // empty for the desktop mail program, which knows its own
    QString to;
    QString subject;
    QString text;
    // The text holds card details: it may go only over an encrypted connection or to the
    // user's own mail program.
    bool confidential = false;
};

struct MailOutcome {
    enum Status {
        Sent,         // the server took the message
        HandedOver,   // the desktop mail program has it; the user sends it from there
        LoginRefused, // the server refused the user name or password
        Failed,       // anything else: nothing was sent
    };
    Status status = Failed;
    // For the user, when it failed: what went wrong and the server's own answer.
    QString message;
    bool delivered() const { return status == Sent || status == HandedOver; }
};

// One way out for a message: a mail server, or the desktop mail program.
class IMailTransport {
public:
    virtual ~IMailTransport() = default;
    // True for a mail server (the send dialog then shows the sender and may need the password).
    virtual bool isServer() const = 0;
    // True when what it sends cannot be read on the way (TLS, or the user's own program).
    virtual bool encrypted() const = 0;
    virtual bool needsPassword() const = 0;
    // A line for the send dialog saying where the message goes.
    virtual QString description() const = 0;
    // Sends the message; returns only when it was sent, handed over or failed, within the
    // account's time limit. The user-interface thread keeps handling events meanwhile.
    virtual MailOutcome send(const OutgoingMail& mail, const QString& password) = 0;
};

// The mail service: opens the transport for an account (its server when one is set up,
// otherwise the desktop mail program). nullptr when neither can be started.
class IMail {
public:
    virtual ~IMail() = default;
    virtual std::unique_ptr<IMailTransport> open(const MailAccount& account) = 0;
};

// Checks on what goes into a message's header or envelope. Each returns "" when the value
// is fine, otherwise a sentence for the user. `whose` names the value, capitalised
// ("The shop's e-mail address").
QString mailAddressProblem(const QString& address, const QString& whose);
QString mailHeaderProblem(const QString& value, const QString& whose);
// Whether the text holds a carriage return, a line feed or a NUL.
bool hasLineBreakOrNul(const QString& text);

} // namespace kv
