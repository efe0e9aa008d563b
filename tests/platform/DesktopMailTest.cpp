// The hand-over to the desktop mail program, through a stand-in for xdg-email that records
// the arguments it was given.

#include "platform/mail/DesktopMailTransport.h"
#include "platform/mail/MailService.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kv;

namespace {

class DesktopMailTest : public ::testing::Test {
protected:
    // A program that writes each argument followed by a NUL, then ends with the code given.
    QString recorder(int exitCode) {
        const QString path = dir.filePath(QStringLiteral("xdg-email-%1").arg(exitCode));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(
                    "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '%1'\nexit %2\n")
                    .arg(recordFile())
                    .arg(exitCode)
                    .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString recordFile() const { return dir.filePath(QStringLiteral("args")); }
    QStringList recorded() const {
        QFile f(recordFile());
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList args;
        for (const QByteArray& a : f.readAll().split('\0'))
            args << QString::fromUtf8(a);
        args.removeLast(); // after the last NUL
        return args;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(DesktopMailTest, RecipientSubjectAndBodyArriveAsTheyAre) {
    mail::MailService service(recorder(0));
    auto transport = service.open(MailAccount{});
    ASSERT_TRUE(transport);
    EXPECT_FALSE(transport->isServer());
    OutgoingMail m;
    m.to = QStringLiteral("o'brien&sons@shop.example");
    m.subject = QStringLiteral("RECORD ORDER");
    m.text = QStringLiteral(
        "Record Order\r\rArtist\t\t:\tSimon & Garfunkel \"Live\" $(touch x) `id` Björk\r"
        "Name Number\t:\t4929123456781234\r\r");
    m.confidential = true;
    const MailOutcome outcome = transport->send(m, QString());
    EXPECT_EQ(outcome.status, MailOutcome::HandedOver) << outcome.message.toStdString();
    EXPECT_EQ(recorded(),
              (QStringList{
                  "--utf8", "--subject", "RECORD ORDER", "--body",
                  "Record Order\n\nArtist\t\t:\tSimon & Garfunkel \"Live\" $(touch x) `id` Björk\n"
                  "Name Number\t:\t4929123456781234\n",
                  "o'brien&sons@shop.example"}));
    EXPECT_FALSE(QFile::exists(dir.filePath("x")));
}

TEST_F(DesktopMailTest, AProgramThatFailsOrIsMissingIsTold) {
    OutgoingMail m;
    m.to = QStringLiteral("orders@shop.example");
    m.subject = QStringLiteral("RECORD ORDER");
    m.text = QStringLiteral("x\r");
    EXPECT_TRUE(mail::DesktopMailTransport(recorder(3))
                    .send(m, {})
                    .message.startsWith("No desktop mail program is set up on this computer."));
    EXPECT_EQ(mail::DesktopMailTransport(recorder(4)).send(m, {}).message,
              "The desktop mail program could not take the message (it ended with code 4).");
    EXPECT_EQ(mail::DesktopMailTransport(dir.filePath("missing")).send(m, {}).message,
              "The desktop mail program could not be started.");
    // A recipient that would read as an option never reaches the program.
    QFile::remove(recordFile());
    m.to = QStringLiteral("-x@shop.example");
    EXPECT_EQ(mail::DesktopMailTransport(recorder(0)).send(m, {}).status, MailOutcome::Failed);
    EXPECT_FALSE(QFile::exists(recordFile()));

    // No program: nothing to open, unless a server is set up.
    mail::MailService none(dir.filePath("missing"));
    EXPECT_FALSE(none.open(MailAccount{}));
    MailAccount server;
    server.useServer = true;
    server.server = QStringLiteral("127.0.0.1");
    auto transport = none.open(server);
    ASSERT_TRUE(transport);
    EXPECT_TRUE(transport->isServer());
    EXPECT_TRUE(transport->encrypted());
}
