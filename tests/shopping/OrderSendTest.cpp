// Sending the order: the session, the send dialog and what becomes of the letter when the
// user cancels or the transport fails, with the mail service faked.

#include "OrderFixture.h"
#include "fakes/FakeMail.h"
#include "settings/MailSettings.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderMail.h"
#include "shopping/frmMailPassword.h"
#include "shopping/frmSendMail.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace kv;
using namespace kv::test;

namespace {

class OrderSendTest : public OrderTest {
protected:
    OrderSendTest() {
        addThreeItems();
        // The desktop mail program unless a test sets up a server.
        fakes.mail.server = false;
    }
    // Runs Order_Send_Data with a script standing for the user in the send dialog.
    bool sendWith(std::function<void(frmSendMail&)> user, bool card = false, bool contact = false) {
        t.dialogs.script([user](QDialog& d) { user(static_cast<frmSendMail&>(d)); });
        Recordset rs = ordered();
        return Order_Send_Data(rs, shop, card, contact);
    }
    // The password dialog's next answer: a password, or cancel ("").
    void answerPassword(const QString& password) {
        t.dialogs.script([password](QDialog& d) {
            auto& p = static_cast<frmMailPassword&>(d);
            if (password.isEmpty()) return p.cmdCancel->click();
            p.txtPassword->setText(password);
            p.cmdOK->click();
        });
    }
    static MailOutcome failure(MailOutcome::Status status, const QString& message) {
        return {status, message};
    }
    QString expectedLetter(bool card, bool contact) {
        QString text =
            Order_Send_Head(shop, user, card, contact, Order_Date_Text(QDate::currentDate()));
        Recordset rs = ordered();
        Order_Send_Data_all(rs, text);
        return text;
    }
    MailFakes fakes;
};

} // namespace

TEST_F(OrderSendTest, NoTransportMeansNothingIsComposedOrShown) {
    fakes.mail.startable = false;
    Recordset rs = ordered();
    EXPECT_FALSE(Order_Send_Data(rs, shop, false, false));
    EXPECT_EQ(t.messages.texts(), QStringList{"Unable to start mail program"});
    EXPECT_TRUE(t.messages.last().title.isEmpty()); // the application's title
    EXPECT_TRUE(t.dialogs.shown.isEmpty());
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(OrderSendTest, TheDialogShowsTheMessageAndCancelSendsNothing) {
    const QString letter = expectedLetter(false, true);
    EXPECT_FALSE(sendWith(
        [&](frmSendMail& d) {
            EXPECT_EQ(d.windowTitle(), "Send Order");
            EXPECT_EQ(d.txtTo->text(), "orders@spincity.example");
            EXPECT_FALSE(d.txtTo->isReadOnly());
            EXPECT_EQ(d.txtSubject->text(), "RECORD ORDER");
            EXPECT_EQ(d.txtFrom->text(), "(filled in by your desktop mail program)");
            EXPECT_EQ(d.letter(), letter);
            EXPECT_EQ(d.txtMessage->toPlainText(), QString(letter).replace('\r', '\n'));
            EXPECT_TRUE(d.txtMessage->isReadOnly());
            d.cmdCancel->click();
        },
        false, true));
    EXPECT_EQ(t.messages.texts(), QStringList{"Message Cancelled"});
    EXPECT_TRUE(fakes.mail.sent.empty());
    EXPECT_EQ(orderedCount(), 3);
}

TEST_F(OrderSendTest, AFailedSendKeepsTheLetterOpenUntilItGoes) {
    fakes.mail.outcomes.push_back(failure(MailOutcome::Failed,
                                          "The mail server refused the message, so it was not "
                                          "sent.\r\rThe server answered: 452 4.3.1 Try later"));
    const QString letter = expectedLetter(true, false);
    EXPECT_TRUE(sendWith(
        [&](frmSendMail& d) {
            d.cmdSend->click();
            EXPECT_EQ(t.messages.texts(),
                      QStringList{"The mail server refused the message, so it was not sent.\r\r"
                                  "The server answered: 452 4.3.1 Try later"});
            EXPECT_NE(d.result(), QDialog::Accepted);
            EXPECT_EQ(d.letter(), letter);
            EXPECT_TRUE(d.cmdSend->isEnabled());
            EXPECT_EQ(t.busy.depth(), 0);
            d.cmdSend->click();
            EXPECT_EQ(d.result(), QDialog::Accepted);
        },
        true, false));
    ASSERT_EQ(fakes.mail.sent.size(), 2u);
    for (const SentMail& s : fakes.mail.sent) {
        EXPECT_EQ(s.mail.text, letter);
        EXPECT_EQ(s.mail.to, "orders@spincity.example");
        EXPECT_EQ(s.mail.subject, "RECORD ORDER");
        EXPECT_TRUE(s.mail.confidential);
    }
    EXPECT_EQ(t.busy.everBusy, 3); // signing on and each of the two sends
    EXPECT_EQ(t.busy.depth(), 0);
}

TEST_F(OrderSendTest, AnAddressThatWouldOpenANewHeaderIsRefusedUntilCorrected) {
    shop.EMail = QStringLiteral("orders@spincity.example\r\nBcc: everyone@example.org");
    EXPECT_TRUE(sendWith([&](frmSendMail& d) {
        d.cmdSend->click();
        ASSERT_EQ(t.messages.boxes.size(), 1u);
        EXPECT_TRUE(t.messages.last().text.startsWith(
            "The shop's e-mail address \"orders@spincity.example Bcc: "
            "everyone@example.org\" holds a line break."));
        EXPECT_TRUE(fakes.mail.sent.empty());
        d.txtTo->setText(QStringLiteral("orders@spincity.example"));
        d.cmdSend->click();
    }));
    ASSERT_EQ(fakes.mail.sent.size(), 1u);
    EXPECT_EQ(fakes.mail.sent[0].mail.to, "orders@spincity.example");
}

TEST_F(OrderSendTest, CardDetailsNeverTakeAnUnencryptedWay) {
    fakes.mail.encrypted = false;
    EXPECT_FALSE(sendWith(
        [&](frmSendMail& d) {
            d.cmdSend->click();
            EXPECT_TRUE(t.messages.last().text.startsWith("This order holds your card details"));
            d.cmdCancel->click();
        },
        true));
    EXPECT_TRUE(fakes.mail.sent.empty());
    // Without card details the same way is fine.
    EXPECT_TRUE(sendWith([](frmSendMail& d) { d.cmdSend->click(); }, false));
    EXPECT_EQ(fakes.mail.sent.size(), 1u);
}

TEST_F(OrderSendTest, OnlyAnOrderAServerTookIsConfirmedAsSent) {
    QLabel* tip = frmHelp::instance()->Label1;
    // In the desktop mail program the order is not sent yet: the user sends it from there.
    fakes.mail.outcomes.push_back({MailOutcome::HandedOver, {}});
    tip->clear();
    EXPECT_TRUE(sendWith([](frmSendMail& d) { d.cmdSend->click(); }));
    EXPECT_EQ(tip->text(), "");

    ASSERT_TRUE(Mail_Account_Save(serverAccount()));
    fakes.mail.server = true;
    // A failure, then the send that works, to the address as corrected in the dialog.
    fakes.mail.outcomes.push_back(failure(MailOutcome::Failed, "no"));
    EXPECT_TRUE(sendWith([](frmSendMail& d) {
        d.cmdSend->click();
        d.txtTo->setText("sales@spincity.example");
        d.cmdSend->click();
    }));
    EXPECT_EQ(tip->text(), "Order sent to sales@spincity.example");
}

TEST_F(OrderSendTest, ThePasswordIsAskedOnceAndStoredOnlyAfterTheServerTookIt) {
    ASSERT_TRUE(Mail_Account_Save(serverAccount()));
    fakes.mail.server = true;
    fakes.mail.needsPassword = true;
    fakes.mail.outcomes.push_back(failure(MailOutcome::LoginRefused, "refused"));
    EXPECT_TRUE(sendWith([&](frmSendMail& d) {
        EXPECT_EQ(d.txtFrom->text(), "Ann Collector <ann@example.org>");
        answerPassword("typo");
        d.cmdSend->click(); // asks, the server refuses
        EXPECT_TRUE(fakes.secrets.secrets.isEmpty());
        answerPassword("right one");
        d.cmdSend->click(); // asks again
    }));
    ASSERT_EQ(fakes.mail.sent.size(), 2u);
    EXPECT_EQ(fakes.mail.sent[0].password, "typo");
    EXPECT_EQ(fakes.mail.sent[1].password, "right one");
    const QString key = Mail_Secret_Key(serverAccount());
    EXPECT_EQ(fakes.secrets.secrets.value(key), "right one");

    // The next order goes without asking.
    EXPECT_TRUE(sendWith([](frmSendMail& d) { d.cmdSend->click(); }));
    EXPECT_EQ(fakes.mail.sent.back().password, "right one");
    EXPECT_EQ(t.dialogs.shown.count("frmMailPassword"), 2);

    // A stored password the server refuses is not offered again in this run.
    fakes.mail.outcomes.push_back(failure(MailOutcome::LoginRefused, "refused"));
    EXPECT_FALSE(sendWith([&](frmSendMail& d) {
        d.cmdSend->click();
        answerPassword(""); // the user cancels the question: nothing is sent
        d.cmdSend->click();
        d.cmdCancel->click();
    }));
    EXPECT_EQ(fakes.mail.sent.size(), 4u);
    EXPECT_EQ(t.messages.last().text, "Message Cancelled");
}

TEST_F(OrderSendTest, WithoutASecretStoreThePasswordLivesOnlyInThisRun) {
    ASSERT_TRUE(Mail_Account_Save(serverAccount()));
    fakes.secrets.available = false;
    fakes.mail.server = true;
    fakes.mail.needsPassword = true;
    EXPECT_TRUE(sendWith([&](frmSendMail& d) {
        answerPassword("only in memory");
        d.cmdSend->click();
    }));
    EXPECT_TRUE(sendWith([](frmSendMail& d) { d.cmdSend->click(); }));
    EXPECT_EQ(t.dialogs.shown.count("frmMailPassword"), 1);
    EXPECT_EQ(fakes.mail.sent.back().password, "only in memory");
    QFile ini(settings.file());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains("only in memory"));
}

TEST_F(OrderSendTest, ChangingTheSettingsInTheDialogSignsOnAgain) {
    EXPECT_TRUE(sendWith([&](frmSendMail& d) {
        t.dialogs.script([](QDialog& s) { s.findChild<QPushButton*>("cmdOK")->click(); });
        d.cmdSettings->click();
        d.cmdSend->click();
    }));
    EXPECT_EQ(fakes.mail.accounts.size(), 2u);
    EXPECT_EQ(t.dialogs.shown, (QStringList{"frmSendMail", "frmMailSettings"}));
}
