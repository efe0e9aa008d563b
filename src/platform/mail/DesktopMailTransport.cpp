#include "platform/mail/DesktopMailTransport.h"

#include "platform/mail/MimeMessage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace kv::mail {

namespace {

MailOutcome outcome(MailOutcome::Status status, const QString& message = QString()) {
    MailOutcome o;
    o.status = status;
    o.message = message;
    return o;
}

} // namespace

DesktopMailTransport::DesktopMailTransport(QString program, int waitSeconds)
    : m_program(std::move(program)), m_waitSeconds(waitSeconds) {}

QString DesktopMailTransport::description() const {
    return QStringLiteral("Handed to your desktop mail program, where you check and send it.");
}

MailOutcome DesktopMailTransport::send(const OutgoingMail& mail, const QString&) {
    if (const QString problem =
            mailAddressProblem(mail.to, QStringLiteral("The recipient's e-mail address"));
        !problem.isEmpty())
        return outcome(MailOutcome::Failed, problem);
    if (const QString problem = mailHeaderProblem(mail.subject, QStringLiteral("The subject"));
        !problem.isEmpty())
        return outcome(MailOutcome::Failed, problem);

    // A text argument on this desktop ends its lines with a line feed.
    const QString body = textLines(mail.text).join(QLatin1Char('\n'));
    QStringList arguments{QStringLiteral("--utf8")};
    if (!mail.subject.isEmpty()) arguments << QStringLiteral("--subject") << mail.subject;
    if (!body.isEmpty()) arguments << QStringLiteral("--body") << body;
    arguments << mail.to;

    // The process outlives this call when the mail program keeps xdg-email waiting; it is
    // then left to finish on its own.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) loop.quit();
    });
    QTimer::singleShot(m_waitSeconds * 1000, &loop, &QEventLoop::quit);
    process->start(m_program, arguments);
    if (process->state() != QProcess::NotRunning || process->error() != QProcess::FailedToStart)
        loop.exec();

    if (process->error() == QProcess::FailedToStart) {
        process->deleteLater();
        return outcome(MailOutcome::Failed,
                       QStringLiteral("The desktop mail program could not be started."));
    }
    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return outcome(MailOutcome::HandedOver);
    }
    process->deleteLater();
    if (process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0)
        return outcome(MailOutcome::HandedOver);
    if (process->exitStatus() == QProcess::NormalExit && process->exitCode() == 3)
        return outcome(
            MailOutcome::Failed,
            QStringLiteral("No desktop mail program is set up on this computer. Please set "
                           "one up, or enter your mail server in the mail settings."));
    return outcome(MailOutcome::Failed,
                   QStringLiteral("The desktop mail program could not take the message (it ended "
                                  "with code %1).")
                       .arg(process->exitCode()));
}

} // namespace kv::mail
