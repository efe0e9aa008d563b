#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kv {

struct MailSession;

// The send dialog: From, To (editable), Subject and the letter, with Send and Cancel. Send
// passes the message to the session's transport; when that fails the user is told the
// server's answer and the dialog stays open with the letter, so nothing is lost. It is
// accepted only once the message was sent or handed to the desktop mail program.
class frmSendMail : public QDialog {
    Q_OBJECT
public:
    frmSendMail(MailSession& session, const QString& recipient, const QString& subject,
                const QString& letter, bool confidential, QWidget* parent = nullptr);

    QLabel* lblFrom;
    QLineEdit* txtFrom;
    QLabel* lblTo;
    QLineEdit* txtTo;
    QLabel* lblSubject;
    QLineEdit* txtSubject;
    QPlainTextEdit* txtMessage;
    QLabel* lblVia;
    QPushButton* cmdSend;
    QPushButton* cmdCancel;
    QPushButton* cmdSettings;
    QPushButton* cmdHelp;

    // The letter exactly as it will be sent (its lines ended by a lone carriage return).
    QString letter() const { return m_letter; }
    bool isSending() const { return m_sending; }
    // The address a mail server took the message for; empty when it went nowhere yet or to
    // the desktop mail program, where the user sends it.
    QString sentTo() const { return m_sentTo; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    void cmdSend_Click();
    void cmdSettings_Click();
    void showTransport();
    bool send();

    MailSession& m_session;
    QString m_subject;
    QString m_letter;
    bool m_confidential;
    bool m_sending = false;
    bool m_centred = false;
    QString m_sentTo;
};

} // namespace kv
