#include "shopping/OrderMail.h"

#include "core/ErrorReport.h"
#include "db/Recordset.h"
#include "platform/AppContext.h"
#include "settings/MailSettings.h"
#include "settings/ui/frmHelp.h"
#include "shopping/OrderLetter.h"
#include "shopping/frmSendMail.h"

#include <QDate>
#include <QWidget>

namespace kv {

bool MailSession::SignOn() {
    account = Mail_Account_Load();
    IMail* mail = ctx().services.mail.get();
    transport = mail ? mail->open(account) : nullptr;
    return signedOn();
}

bool bMailSession_Start(MailSession& session, MailMessage& message) {
    bool started = false;
    try {
        BusyScope busy;
        started = session.SignOn();
    } catch (...) {
        started = false;
    }
    if (!started) {
        ctx().messages().show(QStringLiteral("Unable to start mail program"), mb::Exclamation);
        return false;
    }
    message.session = &session;
    return true;
}

bool bMailMessage_Send(MailMessage& message, const QString& strRecipient,
                       const QString& strLetter) {
    int result = 0;
    try {
        if (!message.session || !message.session->signedOn())
            throw std::runtime_error("no session");
        QWidget* owner =
            message.owner
                ? message.owner
                : qobject_cast<QWidget*>(ctx().forms.loaded(QStringLiteral("frmBackground")));
        frmSendMail dialog(*message.session, strRecipient, kOrderSubject, strLetter,
                           message.confidential, owner);
        result = ctx().services.dialogs ? ctx().services.dialogs->exec(dialog) : dialog.exec();
        // The letter's window closes as the server takes it: say where it went. (The
        // desktop mail program shows its own window, and the user sends from there.)
        if (result == QDialog::Accepted && !dialog.sentTo().isEmpty())
            Show_Notice(3, QStringLiteral("Order sent to ") + dialog.sentTo());
    } catch (...) {
        ctx().messages().show(QStringLiteral("Unable to start mail program"), mb::Exclamation);
        return false;
    }
    if (result != QDialog::Accepted) {
        ctx().messages().show(QStringLiteral("Message Cancelled"), mb::Information);
        return false;
    }
    return true;
}

bool bMailSession_Close(MailSession& session) {
    try {
        session.SignOff();
    } catch (...) {
        ctx().messages().show(QStringLiteral("Unable to close mail program"), mb::Exclamation);
        return false;
    }
    return true;
}

bool Order_Send_Data(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard,
                     bool bContactMe) {
    MailSession session;
    MailMessage message;
    if (!bMailSession_Start(session, message)) return false;
    bool sent = false;
    guarded("Order_Send_Data", [&] {
        QString strLetter = Order_Send_Head(shop, Current_User_Details(), bPayByCard, bContactMe,
                                            Order_Date_Text(QDate::currentDate()));
        // A letter that lost an item is not sent: the failure was reported already.
        if (!Order_Send_Data_all(rsOrdered, strLetter)) return;
        message.confidential = bPayByCard;
        sent = bMailMessage_Send(message, shop.EMail, strLetter);
    });
    bMailSession_Close(session);
    return sent;
}

} // namespace kv
