// The mail settings: what is stored where, what is refused, and the ways to them.

#include "settings/MailSettings.h"
#include "OrderFixture.h"
#include "fakes/FakeMail.h"
#include "settings/ui/frmMailSettings.h"
#include "settings/ui/frmPropApp.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace kv;
using namespace kv::test;

namespace {

class MailSettingsTest : public ::testing::Test {
protected:
    bool withDialog(std::function<void(frmMailSettings&)> user) {
        t.dialogs.script([user](QDialog& d) { user(static_cast<frmMailSettings&>(d)); });
        return Show_Mail_Settings();
    }
    static void fillServer(frmMailSettings& d) {
        d.optServer->setChecked(true);
        d.txtServer->setText(QStringLiteral(" smtp.example.org "));
        d.cboSecurity->setCurrentIndex(1);
        d.txtPort->setValue(2525);
        d.txtUserName->setText(QStringLiteral("ann"));
        d.txtPassword->setText(QStringLiteral("pa55 w0rd"));
        d.txtAddress->setText(QStringLiteral("ann@example.org"));
    }
    QByteArray storeText() {
        QFile f(settings.file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TestContext t;
    TempSettings settings;
    MailFakes fakes;
};

} // namespace

TEST_F(MailSettingsTest, TheDesktopMailProgramUntilAServerIsSetUp) {
    EXPECT_FALSE(Mail_Account_Load().isSetUp());
    withDialog([](frmMailSettings& d) {
        EXPECT_EQ(d.windowTitle(), "Mail Settings");
        EXPECT_TRUE(d.optDesktop->isChecked());
        EXPECT_FALSE(d.fraServer->isEnabled());
        EXPECT_EQ(d.cboSecurity->currentText(), "SSL/TLS");
        EXPECT_EQ(d.txtPort->value(), 465);
        // The port follows the security while it is the usual one, and no longer after.
        d.cboSecurity->setCurrentIndex(1);
        emit d.cboSecurity->activated(1);
        EXPECT_EQ(d.txtPort->value(), 587);
        d.txtPort->setValue(2525);
        d.cboSecurity->setCurrentIndex(0);
        emit d.cboSecurity->activated(0);
        EXPECT_EQ(d.txtPort->value(), 2525);
        d.optServer->setChecked(true);
        EXPECT_TRUE(d.fraServer->isEnabled());
        d.cmdCancel->click();
    });
    EXPECT_FALSE(storeText().contains("Mail"));
}

TEST_F(MailSettingsTest, OkStoresTheAccountAndPutsThePasswordOnlyInTheSecretStore) {
    EXPECT_TRUE(withDialog([](frmMailSettings& d) {
        fillServer(d);
        d.cmdOK->click();
    }));
    const MailAccount a = Mail_Account_Load();
    EXPECT_TRUE(a.isSetUp());
    EXPECT_EQ(a.server, "smtp.example.org");
    EXPECT_EQ(a.port, 2525);
    EXPECT_EQ(a.security, MailSecurity::StartTls);
    EXPECT_EQ(a.userName, "ann");
    EXPECT_EQ(a.address, "ann@example.org");
    EXPECT_EQ(fakes.secrets.secrets.value(Mail_Secret_Key(a)), "pa55 w0rd");
    EXPECT_FALSE(storeText().contains("pa55"));
    EXPECT_TRUE(t.messages.boxes.empty());

    // Shown again as stored; an empty password keeps the stored one.
    EXPECT_TRUE(withDialog([](frmMailSettings& d) {
        EXPECT_TRUE(d.optServer->isChecked());
        EXPECT_EQ(d.txtServer->text(), "smtp.example.org");
        EXPECT_EQ(d.cboSecurity->currentText(), "STARTTLS");
        EXPECT_EQ(d.txtPort->value(), 2525);
        EXPECT_TRUE(d.txtPassword->text().isEmpty());
        d.cmdOK->click();
    }));
    EXPECT_EQ(fakes.secrets.secrets.value(Mail_Secret_Key(a)), "pa55 w0rd");
}

TEST_F(MailSettingsTest, WithoutASecretStoreThePasswordIsKeptForThisRunOnly) {
    fakes.secrets.available = false;
    EXPECT_TRUE(withDialog([](frmMailSettings& d) {
        fillServer(d);
        d.cmdOK->click();
    }));
    EXPECT_EQ(
        t.messages.texts(),
        QStringList{"No secret store answers on this desktop, so Korvanda keeps your password "
                    "only until it closes and asks for it again next time."});
    QString password;
    EXPECT_TRUE(Mail_Password_Find(Mail_Account_Load(), password));
    EXPECT_EQ(password, "pa55 w0rd");
    EXPECT_FALSE(storeText().contains("pa55"));
}

TEST_F(MailSettingsTest, WhatCannotBeUsedIsRefusedAndNothingIsStored) {
    struct Case {
        std::function<void(frmMailSettings&)> spoil;
        QString message;
    };
    const std::vector<Case> cases{
        {[](frmMailSettings& d) { d.txtServer->clear(); },
         "Please enter the name of your mail server."},
        {[](frmMailSettings& d) { d.txtServer->setText("smtp.example.org/x"); },
         "\"smtp.example.org/x\" is not the name of a mail server: please correct it."},
        {[](frmMailSettings& d) { d.txtAddress->clear(); }, "Please enter your e-mail address."},
        {[](frmMailSettings& d) { d.txtAddress->setText("ann@example.org\nBcc: x@example.org"); },
         "Your e-mail address \"ann@example.org Bcc: x@example.org\" holds a line break. It must "
         "stand on one line: "
         "please correct it."},
        {[](frmMailSettings& d) { d.txtUserName->setText(QStringLiteral("ann\rx")); },
         "The user name \"ann x\" holds a line break. It must stand on one line: please correct "
         "it."},
    };
    for (const Case& c : cases) {
        t.messages.boxes.clear();
        EXPECT_FALSE(withDialog([&](frmMailSettings& d) {
            fillServer(d);
            c.spoil(d);
            d.cmdOK->click();
            EXPECT_NE(d.result(), QDialog::Accepted);
            d.cmdCancel->click();
        }));
        EXPECT_EQ(t.messages.texts(), QStringList{c.message});
        EXPECT_EQ(t.messages.last().icon, mb::Exclamation);
    }
    EXPECT_FALSE(Mail_Account_Load().useServer);
    EXPECT_TRUE(fakes.secrets.secrets.isEmpty());
    // The desktop choice needs none of it.
    EXPECT_TRUE(withDialog([](frmMailSettings& d) {
        fillServer(d);
        d.txtServer->clear();
        d.optDesktop->setChecked(true);
        d.cmdOK->click();
    }));
}

TEST_F(MailSettingsTest, TheOptionsLeadToTheMailSettings) {
    t.dialogs.script([this](QDialog& d) {
        auto& options = static_cast<frmPropApp&>(d);
        EXPECT_EQ(options.cmdMail->text(), "Mail Settings...");
        t.dialogs.script([](QDialog& m) { static_cast<frmMailSettings&>(m).cmdCancel->click(); });
        options.cmdMail->click();
        options.cmdCancel->click();
    });
    Show_Options();
    EXPECT_EQ(t.dialogs.shown, (QStringList{"frmPropApp", "frmMailSettings"}));
}
