// The message as it goes on the wire, and the checks on what may stand in its header.

#include "fakes/TestSmtpServer.h"
#include "platform/Mail.h"
#include "platform/mail/MimeMessage.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::mail;
using kv::test::ReceivedMail;

namespace {

OutgoingMail sample(const QString& text) {
    OutgoingMail m;
    m.fromName = QStringLiteral("Zoë Brontë");
    m.fromAddress = QStringLiteral("zoe@example.org");
    m.to = QStringLiteral("orders@shop.example");
    m.subject = QStringLiteral("RECORD ORDER");
    m.text = text;
    return m;
}

// Every line of the data ends with CR LF, and none is longer than the limit.
void expectWireLines(const QByteArray& data, int limit) {
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (data[i] == '\r')
            ASSERT_TRUE(i + 1 < data.size() && data[i + 1] == '\n') << "a lone CR at " << i;
        if (data[i] == '\n') ASSERT_TRUE(i > 0 && data[i - 1] == '\r') << "a lone LF at " << i;
    }
    for (const QByteArray& line : data.split('\n'))
        EXPECT_LE(line.size(), limit + 1) << line.toStdString();
}

} // namespace

TEST(MailMessage, TheLettersLoneCarriageReturnsBecomeLinesAndComeBackIntact) {
    const QString letter =
        QStringLiteral("Record Order\r\r.hidden track\rFrom the shop\rArtist\t\t:\t\r"
                       "Björk & \"Sigur Rós\" = 100%\r\r");
    const QByteArray data = rfc5322Message(sample(letter), QDateTime::currentDateTime(),
                                           newMessageId("zoe@example.org"));
    expectWireLines(data, 998);
    const ReceivedMail mail(data);
    expectWireLines(mail.body, 76);
    EXPECT_EQ(mail.text(), QString(letter).replace(QLatin1Char('\r'), QLatin1String("\r\n")));
    // Blanks at a line's end and "From " at its start are encoded, so no relay touches them.
    EXPECT_TRUE(mail.body.contains(":=09\r\n"));
    EXPECT_TRUE(mail.body.contains("=46rom the shop"));
}

TEST(MailMessage, LongLinesAreBrokenSoftlyWithoutSplittingAnEncodedCharacter) {
    QString line;
    for (int i = 0; i < 40; ++i)
        line += QStringLiteral("é=ü ");
    const QByteArray qp =
        quotedPrintable(line + QStringLiteral("\r") + QString(200, QLatin1Char('x')));
    expectWireLines(qp, 76);
    for (const QByteArray& l : qp.split('\n')) {
        // A soft break never falls inside "=XX".
        const QByteArray body = l.endsWith("=\r") ? l.chopped(2) : l.chopped(1);
        EXPECT_FALSE(QRegularExpression(QStringLiteral("=[0-9A-F]?$"))
                         .match(QString::fromLatin1(body))
                         .hasMatch())
            << l.toStdString();
    }
    ReceivedMail decoded(QByteArray("X: y\r\n\r\n") + qp);
    EXPECT_EQ(decoded.text(), line + QStringLiteral("\r\n") + QString(200, QLatin1Char('x')) +
                                  QStringLiteral("\r\n"));
}

TEST(MailMessage, HeadersAreCompleteAndNamesSurviveEncoding) {
    const QByteArray data =
        rfc5322Message(sample(QStringLiteral("x\r")), QDateTime::currentDateTime(),
                       QStringLiteral("<id-1@example.org>"));
    const ReceivedMail mail(data);
    EXPECT_EQ(mail.headerNames(),
              (QStringList{"Date", "From", "To", "Subject", "Message-ID", "MIME-Version",
                           "Content-Type", "Content-Transfer-Encoding"}));
    EXPECT_TRUE(QDateTime::fromString(mail.header("Date"), Qt::RFC2822Date).isValid())
        << mail.header("Date").toStdString();
    EXPECT_EQ(ReceivedMail::decodeWords(mail.header("From")), "Zoë Brontë <zoe@example.org>");
    EXPECT_EQ(mail.header("To"), "orders@shop.example");
    EXPECT_EQ(mail.header("Subject"), "RECORD ORDER");
    EXPECT_EQ(mail.header("Message-ID"), "<id-1@example.org>");
    EXPECT_EQ(mail.header("MIME-Version"), "1.0");
    EXPECT_EQ(mail.header("Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(mail.header("Content-Transfer-Encoding"), "quoted-printable");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^<[0-9a-f-]{36}@example\\.org>$"))
                    .match(newMessageId(QStringLiteral("a@example.org")))
                    .hasMatch());
}

TEST(MailMessage, DisplayNamesAreQuotedOrEncodedAsTheyNeed) {
    EXPECT_EQ(displayName(QStringLiteral("Ann Collector")), "Ann Collector");
    EXPECT_EQ(displayName(QStringLiteral("O'Brien, \"Ann\" \\ Co.")),
              "\"O'Brien, \\\"Ann\\\" \\\\ Co.\"");
    // A long non-ASCII name becomes several encoded words, each whole characters.
    const QString longName = QString(60, QChar(0x00E9)) + QStringLiteral(" 東京レコード");
    const QByteArray encoded = encodedText(longName);
    for (const QByteArray& word : encoded.split('\n')) {
        EXPECT_LE(word.trimmed().size(), 75);
        const QByteArray b64 = word.trimmed().mid(10).chopped(2);
        EXPECT_FALSE(
            QString::fromUtf8(QByteArray::fromBase64(b64)).contains(QChar::ReplacementCharacter));
    }
    EXPECT_EQ(ReceivedMail::decodeWords(
                  QString::fromLatin1(encoded).replace(QLatin1String("\r\n"), QString())),
              longName);
}

TEST(MailMessage, AddressesThatCouldBreakOutOfTheirPlaceAreRefused) {
    const QString whose = QStringLiteral("The shop's e-mail address");
    for (const char* fine :
         {"orders@shop.example", "o'brien&sons@shop.example", "a.b+c@d-e.example"})
        EXPECT_EQ(mailAddressProblem(QString::fromUtf8(fine), whose), "") << fine;
    EXPECT_EQ(mailAddressProblem("  ", whose), "Please enter the shop's e-mail address.");
    EXPECT_EQ(mailAddressProblem("orders@shop.example\r\nBcc: all@example.org", whose),
              "The shop's e-mail address \"orders@shop.example Bcc: all@example.org\" holds a line "
              "break. It must "
              "stand on one line: please correct it.");
    EXPECT_TRUE(mailAddressProblem(QStringLiteral("a@b.example") + QChar(0) + "x", whose)
                    .contains("line break"));
    for (const char* bad :
         {"no-at-sign", "@shop.example", "orders@", "two words@shop.example", "<a@b.example>",
          "-x@shop.example", "mailto:a@b.example?bcc=c@d.example", "a@b@c.example",
          "a@shop..example", "a,b@shop.example"})
        EXPECT_TRUE(mailAddressProblem(QString::fromUtf8(bad), whose)
                        .endsWith("is not an e-mail address Korvanda can send to."))
            << bad;
    EXPECT_TRUE(mailHeaderProblem(QStringLiteral("Ann\nBcc: x"), QStringLiteral("Your name"))
                    .startsWith("Your name"));
    EXPECT_EQ(mailHeaderProblem(QStringLiteral("Ann Collector"), QStringLiteral("Your name")), "");
}

TEST(MailMessage, TextLinesEndAtAnyKindOfLineBreak) {
    EXPECT_EQ(textLines(QStringLiteral("a\rb\r\nc\nd")), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(textLines(QStringLiteral("a\r\r")), (QStringList{"a", ""}));
    EXPECT_EQ(textLines(QString()), QStringList());
}
