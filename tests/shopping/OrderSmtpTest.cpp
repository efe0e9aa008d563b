// The whole e-mail route with the real mail service: an order with card details through a
// real mail server on 127.0.0.1, and what is left behind on this machine afterwards.

#include "OrderFixture.h"
#include "fakes/FakeMail.h"
#include "fakes/TestSmtpServer.h"
#include "platform/mail/MailService.h"
#include "settings/MailSettings.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderMail.h"
#include "shopping/frmSendMail.h"

#include <QDirIterator>
#include <QLabel>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

const QByteArray kCard = "4929123456781234";

class OrderSmtpTest : public OrderTest {
protected:
    OrderSmtpTest() : previousTmp(qgetenv("TMPDIR")) {
        // The test certificate lives for the whole program, outside this test's folder.
        TestSmtpServer::certificate();
        // Whatever anything writes to a temporary file during the send lands here.
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        ctx().services.mail = std::make_unique<mail::MailService>();
        secrets = new FakeSecretStore;
        ctx().services.secrets.reset(secrets);
        addThreeItems();
        addItem("D-1", ".dotted", "Mötley Crüe & \"Friends\"", "CD", true);
        user.Address = QStringLiteral("3 Elm Road\n.Back Lane, York");
        user.Phone = QStringLiteral("0113 496 0000");
        user.CardType = QStringLiteral("Visa");
        user.CardName = QStringLiteral("MRS A COLLECTOR");
        user.CardNumber = QString::fromLatin1(kCard);
        user.Expires = QStringLiteral("09/27");
    }
    ~OrderSmtpTest() override { qputenv("TMPDIR", previousTmp); }

    void setUpAccount(const TestSmtpServer& server) {
        ASSERT_TRUE(Mail_Account_Save(
            serverAccount(QStringLiteral("127.0.0.1"), server.port(), TestSmtpServer::user())));
        // The settings nobody sees in a dialog.
        settings.set(kSectionMail, QStringLiteral("CA File"), server.caFile());
        settings.set(kSectionMail, QStringLiteral("Timeout"), QStringLiteral("5"));
    }
    bool send(std::function<void(frmSendMail&)> user) {
        t.dialogs.script([user](QDialog& d) { user(static_cast<frmSendMail&>(d)); });
        Recordset rs = ordered();
        return Order_Send_Data(rs, shop, true, true);
    }
    // Files in the temporary folder and the settings folder that hold the text.
    QStringList filesHolding(const QByteArray& text) {
        QStringList found;
        for (const QString& folder : {tmp.path(), settings.folder()}) {
            QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text))
                    found << f.fileName();
            }
        }
        return found;
    }

    QTemporaryDir tmp;
    QByteArray previousTmp;
    FakeSecretStore* secrets;
};

} // namespace

TEST_F(OrderSmtpTest, TheOrderArrivesWholeAndLeavesNothingBehind) {
    TestSmtpServer server(QStringLiteral("starttls"));
    ASSERT_TRUE(server.started()) << server.errors().toStdString();
    setUpAccount(server);
    secrets->secrets.insert(Mail_Secret_Key(Mail_Account_Load()),
                            TestSmtpServer::password().toUtf8());

    QString letter;
    const QDate before = QDate::currentDate();
    EXPECT_TRUE(send([&](frmSendMail& d) {
        letter = d.letter();
        d.cmdSend->click();
    }));
    EXPECT_TRUE(t.messages.boxes.empty()) << t.messages.last().text.toStdString();
    EXPECT_EQ(t.busy.depth(), 0);
    EXPECT_EQ(frmHelp::instance()->Label1->text(), "Order sent to orders@spincity.example");

    // The letter is the one composed from the inputs, on the day it was sent.
    QString expected = Order_Send_Head(shop, user, true, true, Order_Date_Text(before));
    Recordset rs = ordered();
    ASSERT_TRUE(Order_Send_Data_all(rs, expected));
    if (letter != expected)
        expected.replace(Order_Date_Text(before), Order_Date_Text(QDate::currentDate()));
    EXPECT_EQ(letter, expected);

    const auto taken = server.messages();
    ASSERT_EQ(taken.size(), 1u);
    const ReceivedMail mail(taken[0]);
    EXPECT_EQ(mail.text(), QString(letter).replace(QLatin1Char('\r'), QLatin1String("\r\n")));
    EXPECT_TRUE(mail.text().contains(QStringLiteral("\t3 Elm Road\r\n.Back Lane, York\r\n")));
    EXPECT_TRUE(mail.text().contains(QStringLiteral(
        "Recording name  \t:\t.dotted\r\nArtist          \t\t:\tMötley Crüe & \"Friends\"\r\n")));
    EXPECT_EQ(ReceivedMail::decodeWords(mail.header("From")), "Ann Collector <ann@example.org>");
    EXPECT_EQ(mail.header("To"), "orders@spincity.example");
    EXPECT_EQ(mail.header("Subject"), "RECORD ORDER");
    EXPECT_EQ(server.events("auth").size(), 1u);

    EXPECT_EQ(filesHolding(kCard), QStringList());
    EXPECT_EQ(filesHolding(TestSmtpServer::password().toUtf8()), QStringList());
    EXPECT_EQ(filesHolding("Records to Order"), QStringList());
}

TEST_F(OrderSmtpTest, ARefusedLoginReportsTheServerAndSendsNothing) {
    TestSmtpServer server(QStringLiteral("starttls"));
    ASSERT_TRUE(server.started()) << server.errors().toStdString();
    setUpAccount(server);
    secrets->secrets.insert(Mail_Secret_Key(Mail_Account_Load()), "not the password");

    EXPECT_FALSE(send([&](frmSendMail& d) {
        d.cmdSend->click();
        ASSERT_EQ(t.messages.boxes.size(), 1u);
        EXPECT_TRUE(t.messages.last().text.startsWith(
            "The mail server refused your user name or password, so nothing "
            "was sent.\r\rThe server answered: 535"))
            << t.messages.last().text.toStdString();
        EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
        EXPECT_FALSE(d.letter().isEmpty());
        d.cmdCancel->click();
    }));
    EXPECT_EQ(t.messages.last().text, "Message Cancelled");
    EXPECT_TRUE(server.messages().empty());
    EXPECT_EQ(orderedCount(), 4);
    EXPECT_EQ(filesHolding(kCard), QStringList());
}
