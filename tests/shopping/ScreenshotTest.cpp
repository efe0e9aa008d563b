// Pictures of the shopping screen in each of its modes, the user details dialog, the print
// dialog of the fax page, the send dialog and the mail settings, for docs/screenshots: run
// with KV_SCREENSHOTS=<folder>.

#include "ShoppingFixture.h"

#include "collections/frmPrint.h"
#include "fakes/FakePrinter.h"
#include "platform/mail/MailService.h"
#include "settings/MailSettings.h"
#include "settings/ui/frmMailSettings.h"
#include "shopping/OrderMail.h"
#include "shopping/frmSendMail.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

void snap(QWidget& w, const QString& file) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
}

} // namespace

TEST_F(OrderTest, Screenshots) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    ctx().services.mail = std::make_unique<mail::MailService>();
    ASSERT_TRUE(Mail_Account_Save(serverAccount()));
    addThreeItems();
    user.Phone = QStringLiteral("0113 496 0000");
    user.EMail = QStringLiteral("ann@example.org");

    t.dialogs.script([&](QDialog& d) {
        auto& send = static_cast<frmSendMail&>(d);
        snap(send, folder + "/send-order.png");
        send.cmdCancel->click();
    });
    t.dialogs.script([&](QDialog& d) {
        auto& settingsDialog = static_cast<frmMailSettings&>(d);
        settingsDialog.txtPassword->setText(QStringLiteral("secret"));
        snap(settingsDialog, folder + "/mail-settings.png");
        settingsDialog.cmdCancel->click();
    });
    Recordset rs = ordered();
    Order_Send_Data(rs, shop, false, true);
    Show_Mail_Settings();
}

TEST_F(ShoppingTest, ScreenshotsOfEveryMode) {
    const QString folder = qEnvironmentVariable("KV_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "set KV_SCREENSHOTS to a folder to write them";
    wantThree();
    want(14, QStringLiteral("Somethin' Else"), QStringLiteral("Cannonball Adderley"), QStringLiteral("BLP 1595"));
    want(15, QStringLiteral("Moanin'"), QStringLiteral("Art Blakey"), QStringLiteral("BLP 4003"));
    frmShopping& s = screen();
    frmBackground& main = *background();
    tickRow(0);
    tickRow(1);
    tickRow(3);
    selectRow(1);
    snap(main, folder + "/shopping-list.png");

    s.imgDirectory_Click();
    chooseTown(QStringLiteral("Leeds"));
    clickShop(QStringLiteral("Kirkgate Vinyl Exchange"));
    snap(main, folder + "/shopping-directory.png");
    s.imgFeature_Click();
    snap(main, folder + "/shopping-featured-shop.png");
    s.imgOrderDirect_Click();
    snap(main, folder + "/shopping-order-direct.png");
    s.imgPhone_Click();
    snap(main, folder + "/shopping-telephone.png");
    Back_Screen();
    s.imgFax_Click();
    snap(main, folder + "/shopping-fax.png");
    Back_Screen();
    s.imgEmail_Click();
    s.chkContact->setChecked(true);
    snap(main, folder + "/shopping-email.png");

    t.dialogs.script([&](QDialog& d) {
        auto& details = static_cast<frmPropUser&>(d);
        details.txtName->setText(QStringLiteral("Ann Collector"));
        details.txtAddress->setPlainText(QStringLiteral("3 Elm Road\nYork"));
        details.txtPostCode->setText(QStringLiteral("YO1 7HH"));
        details.txtEMail->setText(QStringLiteral("ann@example.org"));
        details.chkRDetails->setChecked(true);
        snap(details, folder + "/user-details.png");
        details.SSTab1->setCurrentIndex(1);
        details.cboCardType->setEditText(QStringLiteral("Visa"));
        details.txtCardName->setText(QStringLiteral("A COLLECTOR"));
        details.txtCardNumber->setText(QStringLiteral("4929 1234 5678 9012"));
        details.txtExpire->setText(QStringLiteral("08/29"));
        details.chkRCard->setChecked(true);
        details.cmdOK->click();
        details.SSTab1->setCurrentIndex(1);
        snap(details, folder + "/user-details-card.png");
        details.hide();
    });
    s.imgUser_Click();

    t.ctx().services.printer = std::make_unique<FakePrinter>(dir.filePath("order.pdf"));
    Back_Screen();
    s.imgFax_Click();
    t.dialogs.script([&](QDialog& d) {
        auto& print = static_cast<frmPrint&>(d);
        snap(print, folder + "/print-fax-order.png");
        print.cmdCancel->click();
    });
    s.imgSend_Click();
}
