#pragma once

// Dispatching the order letter by e-mail: the mail session and message the e-mail ordering
// page keeps, and the operations that sign on, send through the send dialog and sign off.

#include "platform/Mail.h"
#include "shopping/ShopRecord.h"

#include <QString>
#include <memory>

class QWidget;

namespace kv {

class Recordset;

// The mail session: the account it signed on with and the transport it opened.
struct MailSession {
    MailAccount account;
    std::unique_ptr<IMailTransport> transport;
    bool signedOn() const { return transport != nullptr; }
    // Opens the transport for the stored account; false when none can be started.
    bool SignOn();
    void SignOff() { transport.reset(); }
};

// The message being composed in a session.
struct MailMessage {
    MailSession* session = nullptr;
    // The letter holds card details: it goes only over an encrypted connection.
    bool confidential = false;
    // The window the send dialog belongs to (the background window when none).
    QWidget* owner = nullptr;
};

// Composes the letter from the ordered items (the current row moves), the shop, the user's
// details and the two ticks, and sends it to the shop's address through the send dialog.
// True when it was sent or handed to the desktop mail program.
bool Order_Send_Data(Recordset& rsOrdered, const ShopRecord& shop, bool bPayByCard,
                     bool bContactMe);

// Signs on: "Unable to start mail program" and false when no transport can be started.
bool bMailSession_Start(MailSession& session, MailMessage& message);
// Shows the send dialog with the letter under the subject "RECORD ORDER". False, with
// "Message Cancelled", when the user cancels it.
bool bMailMessage_Send(MailMessage& message, const QString& strRecipient, const QString& strLetter);
// Signs off: "Unable to close mail program" when that fails.
bool bMailSession_Close(MailSession& session);

} // namespace kv
