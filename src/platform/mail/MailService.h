#pragma once

#include "platform/Mail.h"

namespace kv {

class AppContext;

namespace mail {

// The production mail service: the account's server when one is set up, otherwise the
// desktop mail program (xdg-email on the PATH, unless another program is named).
class MailService : public IMail {
public:
    explicit MailService(QString desktopProgram = QString());
    std::unique_ptr<IMailTransport> open(const MailAccount& account) override;

private:
    QString m_desktopProgram;
};

} // namespace mail

// Installs the mail service in the context.
void installMailService(AppContext& context);

} // namespace kv
