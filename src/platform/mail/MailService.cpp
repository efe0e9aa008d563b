#include "platform/mail/MailService.h"

#include "platform/AppContext.h"
#include "platform/mail/DesktopMailTransport.h"
#include "platform/mail/SmtpTransport.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace kv {

namespace mail {

MailService::MailService(QString desktopProgram) : m_desktopProgram(std::move(desktopProgram)) {}

std::unique_ptr<IMailTransport> MailService::open(const MailAccount& account) {
    if (account.isSetUp()) return std::make_unique<SmtpTransport>(account);
    const QString program = m_desktopProgram.isEmpty()
                                ? QStandardPaths::findExecutable(QStringLiteral("xdg-email"))
                                : m_desktopProgram;
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile() || !info.isExecutable()) return nullptr;
    return std::make_unique<DesktopMailTransport>(info.absoluteFilePath());
}

} // namespace mail

void installMailService(AppContext& context) {
    context.services.mail = std::make_unique<mail::MailService>();
}

} // namespace kv
