// Pictures of the send dialog and the mail settings for docs/screenshots: run with
// KV_SCREENSHOTS=<folder>.

#include "OrderFixture.h"
#include "platform/mail/MailService.h"
#include "settings/MailSettings.h"
#include "settings/ui/frmMailSettings.h"
#include "shopping/OrderMail.h"
#include "shopping/frmSendMail.h"

#include <QApplication>
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
