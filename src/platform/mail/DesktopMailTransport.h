#pragma once

#include "platform/Mail.h"

namespace kv::mail {

// Hands the message to the desktop mail program through xdg-email (or a program that takes
// the same arguments): recipient, subject and body as separate arguments, no shell between,
// so no character of them is read as anything but text. The user checks and sends the
// message there.
class DesktopMailTransport : public IMailTransport {
public:
    explicit DesktopMailTransport(QString program, int waitSeconds = 20);
    bool isServer() const override { return false; }
    // The message goes to the user's own program on this machine.
    bool encrypted() const override { return true; }
    bool needsPassword() const override { return false; }
    QString description() const override;
    MailOutcome send(const OutgoingMail& mail, const QString& password) override;

    QString program() const { return m_program; }

private:
    QString m_program;
    int m_waitSeconds;
};

} // namespace kv::mail
