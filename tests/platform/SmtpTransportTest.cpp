// The mail-server transport against a real SMTP server on 127.0.0.1: what arrives, and what
// never leaves when the server is wrong, refuses or goes quiet.

#include "platform/mail/SmtpTransport.h"
#include "fakes/TestSmtpServer.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

const QString kCard = QStringLiteral("4929123456781234");

class SmtpTransportTest : public ::testing::Test {
protected:
    MailAccount accountFor(const TestSmtpServer& server, MailSecurity security) {
        MailAccount a;
        a.useServer = true;
        a.server = QStringLiteral("127.0.0.1");
        a.port = server.port();
        a.security = security;
        a.userName = TestSmtpServer::user();
        a.address = QStringLiteral("collector@example.org");
        a.caFile = server.caFile();
        a.timeoutSeconds = 3;
        return a;
    }
    static OutgoingMail order() {
        OutgoingMail m;
        m.fromName = QStringLiteral("Zoë Brontë");
        m.fromAddress = QStringLiteral("collector@example.org");
        m.to = QStringLiteral("orders@shop.example");
        m.subject = QStringLiteral("RECORD ORDER");
        m.text = QStringLiteral(
                     "Record Order\r\r.\r..dots first\rArtist\t\t:\tMötley Crüe & \"Friends\"\r"
                     "Name Number\t:\t") +
                 kCard + QStringLiteral("\r\r");
        m.confidential = true;
        return m;
    }
    // Sends the order with the server's password (or the one given).
    MailOutcome send(const TestSmtpServer& server, MailSecurity security,
                     const QString& password = TestSmtpServer::password(),
                     bool trustTestCertificate = true) {
        MailAccount a = accountFor(server, security);
        if (!trustTestCertificate) a.caFile.clear();
        return mail::SmtpTransport(a).send(order(), password);
    }
    static void expectNothingTaken(const TestSmtpServer& server) {
        EXPECT_TRUE(server.events("mail").empty());
        EXPECT_FALSE(server.recordText().contains(kCard.toLatin1()));
    }
};

#define START(server, mode)                                                                        \
    TestSmtpServer server(QStringLiteral(mode));                                                   \
    ASSERT_TRUE(server.started()) << server.errors().toStdString()

} // namespace

TEST_F(SmtpTransportTest, StartTlsLogsInOnlyAfterEncryptionAndDeliversTheExactLetter) {
    START(server, "starttls");
    const MailOutcome outcome = send(server, MailSecurity::StartTls);
    ASSERT_EQ(outcome.status, MailOutcome::Sent) << outcome.message.toStdString();

    const auto logins = server.events("auth");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_TRUE(logins[0]["ok"].toBool());
    EXPECT_TRUE(logins[0]["tls"].toBool());
    const auto taken = server.events("mail");
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0]["mail_from"].toString(), "collector@example.org");
    EXPECT_EQ(taken[0]["rcpt"].toArray().size(), 1);
    EXPECT_EQ(taken[0]["rcpt"].toArray()[0].toString(), "orders@shop.example");

    const ReceivedMail mail(server.messages()[0]);
    EXPECT_EQ(mail.text(), QString(order().text).replace(QLatin1Char('\r'), QLatin1String("\r\n")));
    EXPECT_EQ(ReceivedMail::decodeWords(mail.header("From")), "Zoë Brontë <collector@example.org>");
    EXPECT_EQ(mail.header("To"), "orders@shop.example");
    EXPECT_EQ(mail.header("Subject"), "RECORD ORDER");
    EXPECT_TRUE(mail.header("Message-ID").endsWith("@example.org>"));
    EXPECT_EQ(mail.header("Content-Type"), "text/plain; charset=UTF-8");
    // Lines of dots at the start went through the end-of-data rule untouched.
    EXPECT_TRUE(mail.body.contains("\r\n.\r\n..dots first\r\n"));
}

TEST_F(SmtpTransportTest, TlsFromTheFirstByteWorksToo) {
    START(server, "implicit");
    const MailOutcome outcome = send(server, MailSecurity::SslTls);
    ASSERT_EQ(outcome.status, MailOutcome::Sent) << outcome.message.toStdString();
    EXPECT_EQ(server.messages().size(), 1u);
}

TEST_F(SmtpTransportTest, RefusalsCarryTheServersAnswerAndNothingIsTaken) {
    {
        START(server, "starttls");
        const MailOutcome outcome = send(server, MailSecurity::StartTls, QStringLiteral("wrong"));
        EXPECT_EQ(outcome.status, MailOutcome::LoginRefused);
        EXPECT_TRUE(
            outcome.message.startsWith("The mail server refused your user name or password"));
        EXPECT_TRUE(outcome.message.contains("The server answered: 535"))
            << outcome.message.toStdString();
        expectNothingTaken(server);
    }
    {
        START(server, "reject-rcpt");
        const MailOutcome outcome = send(server, MailSecurity::StartTls);
        EXPECT_EQ(outcome.status, MailOutcome::Failed);
        EXPECT_TRUE(
            outcome.message.contains("550 5.1.1 <orders@shop.example>: Recipient address rejected"))
            << outcome.message.toStdString();
        expectNothingTaken(server);
    }
}

TEST_F(SmtpTransportTest, ALostOrSilentServerEndsTheSendWithinTheLimit) {
    {
        START(server, "drop");
        const MailOutcome outcome = send(server, MailSecurity::StartTls);
        EXPECT_EQ(outcome.status, MailOutcome::Failed);
        EXPECT_EQ(outcome.message,
                  "The connection to the mail server was lost before the message was sent.");
        expectNothingTaken(server);
    }
    {
        START(server, "silent");
        const MailOutcome outcome = send(server, MailSecurity::StartTls);
        EXPECT_EQ(outcome.status, MailOutcome::Failed);
        EXPECT_EQ(outcome.message,
                  "The mail server did not answer within 3 seconds, so the message was not sent.");
        EXPECT_EQ(server.events("connection").size(), 1u);
    }
}

TEST_F(SmtpTransportTest, AServerWithoutEncryptionHearsNeitherThePasswordNorTheOrder) {
    for (MailSecurity security : {MailSecurity::StartTls, MailSecurity::SslTls}) {
        START(server, "plain");
        const MailOutcome outcome = send(server, security);
        EXPECT_EQ(outcome.status, MailOutcome::Failed);
        if (security == MailSecurity::StartTls)
            EXPECT_TRUE(outcome.message.startsWith(
                "The mail server does not offer an encrypted connection (STARTTLS)"))
                << outcome.message.toStdString();
        const QByteArray heard = server.recordText();
        EXPECT_FALSE(heard.contains("AUTH"));
        EXPECT_FALSE(heard.contains("MAIL FROM"));
        EXPECT_FALSE(heard.contains(TestSmtpServer::password().toLatin1()));
        EXPECT_FALSE(heard.contains(QByteArray("buyer").toBase64()));
        expectNothingTaken(server);
    }
}

TEST_F(SmtpTransportTest, AnUnverifiedCertificateIsRefusedBeforeTheLogin) {
    START(server, "starttls");
    const MailOutcome outcome =
        send(server, MailSecurity::StartTls, TestSmtpServer::password(), false);
    EXPECT_EQ(outcome.status, MailOutcome::Failed);
    EXPECT_EQ(outcome.message,
              "The mail server's certificate could not be verified, so nothing was sent to it.");
    EXPECT_TRUE(server.events("auth").empty());
    expectNothingTaken(server);
}

TEST_F(SmtpTransportTest, AHeaderWithALineBreakIsRefusedBeforeAnyConnection) {
    START(server, "starttls");
    OutgoingMail m = order();
    m.to = QStringLiteral("orders@shop.example\r\nBcc: everyone@example.org");
    const MailOutcome outcome = mail::SmtpTransport(accountFor(server, MailSecurity::StartTls))
                                    .send(m, TestSmtpServer::password());
    EXPECT_EQ(outcome.status, MailOutcome::Failed);
    EXPECT_TRUE(outcome.message.contains("holds a line break"));
    m = order();
    m.fromName = QStringLiteral("Ann\nBcc: everyone@example.org");
    EXPECT_TRUE(mail::SmtpTransport(accountFor(server, MailSecurity::StartTls))
                    .send(m, TestSmtpServer::password())
                    .message.startsWith("Your name"));
    EXPECT_TRUE(server.recordText().isEmpty());
}
