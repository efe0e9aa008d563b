#include "shopping/frmSendMail.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"
#include "settings/MailSettings.h"
#include "settings/ui/frmMailSettings.h"
#include "shopping/OrderMail.h"
#include "shopping/UserDetails.h"
#include "shopping/frmMailPassword.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QLabel* labelFor(QWidget* parent, const QString& text, QWidget* buddy, const char* name) {
    auto* label = named(new QLabel(text, parent), QString::fromLatin1(name));
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    return label;
}

void warn(const QString& text) {
    ctx().messages().show(text, mb::Exclamation);
}

} // namespace

frmSendMail::frmSendMail(MailSession& session, const QString& recipient, const QString& subject,
                         const QString& letter, bool confidential, QWidget* parent)
    : QDialog(parent), m_session(session), m_subject(subject), m_letter(letter),
      m_confidential(confidential) {
    setObjectName(QStringLiteral("frmSendMail"));
    setWindowTitle(QStringLiteral("Send Order"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    txtFrom = named(new QLineEdit(this), "txtFrom");
    txtFrom->setReadOnly(true);
    txtTo = named(new QLineEdit(recipient, this), "txtTo");
    txtSubject = named(new QLineEdit(subject, this), "txtSubject");
    txtSubject->setReadOnly(true);
    lblFrom = labelFor(this, QStringLiteral("From:"), txtFrom, "lblFrom");
    lblTo = labelFor(this, QStringLiteral("&To:"), txtTo, "lblTo");
    lblSubject = labelFor(this, QStringLiteral("Subject:"), txtSubject, "lblSubject");

    txtMessage = named(new QPlainTextEdit(this), "txtMessage");
    txtMessage->setReadOnly(true);
    txtMessage->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtMessage->setAccessibleName(QStringLiteral("Letter"));
    // The letter lines its columns up with blanks and tabs: a fixed-pitch font keeps them.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    txtMessage->setFont(fixed);
    txtMessage->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')) * 8);
    QString shown = letter;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtMessage->setPlainText(shown);

    lblVia = named(new QLabel(this), "lblVia");
    lblVia->setWordWrap(true);

    cmdSend = named(new QPushButton(QStringLiteral("Send"), this), "cmdSend");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdSettings = named(new QPushButton(QStringLiteral("Mail Settings..."), this), "cmdSettings");
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), "cmdHelp");
    cmdSend->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(lblFrom, 0, 0);
    fields->addWidget(txtFrom, 0, 1);
    fields->addWidget(lblTo, 1, 0);
    fields->addWidget(txtTo, 1, 1);
    fields->addWidget(lblSubject, 2, 0);
    fields->addWidget(txtSubject, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSettings);
    buttons->addStretch(1);
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(txtMessage, 1);
    layout->addWidget(lblVia);
    layout->addLayout(buttons);
    resize(600, 520);

    connect(cmdSend, &QPushButton::clicked, this, &frmSendMail::cmdSend_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSendMail::reject);
    connect(cmdSettings, &QPushButton::clicked, this, &frmSendMail::cmdSettings_Click);
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::SendOrder); });

    showTransport();
    // The address is the one thing the user may want to change before sending.
    txtTo->setFocus();
}

void frmSendMail::showTransport() {
    IMailTransport* t = m_session.transport.get();
    if (!t) {
        txtFrom->clear();
        lblVia->setText(
            QStringLiteral("No mail program can be started: please check the mail settings."));
        cmdSend->setEnabled(false);
        return;
    }
    if (t->isServer()) {
        const QString name = Current_User_Details().Name.trimmed();
        const QString address = m_session.account.address;
        txtFrom->setText(name.isEmpty()      ? address
                         : address.isEmpty() ? name
                                             : QStringLiteral("%1 <%2>").arg(name, address));
    } else {
        txtFrom->setText(QStringLiteral("(filled in by your desktop mail program)"));
    }
    lblVia->setText(t->description());
    cmdSend->setEnabled(true);
}

void frmSendMail::cmdSettings_Click() {
    if (m_sending || !Show_Mail_Settings(this)) return;
    if (!guarded("cmdSettings_Click", [&] { return m_session.SignOn(); }))
        ctx().messages().show(QStringLiteral("Unable to start mail program"), mb::Exclamation);
    showTransport();
}

void frmSendMail::cmdSend_Click() {
    if (m_sending) return;
    if (guarded("cmdSend_Click", [&] { return send(); })) accept();
}

bool frmSendMail::send() {
    IMailTransport* t = m_session.transport.get();
    if (!t) {
        ctx().messages().show(QStringLiteral("Unable to start mail program"), mb::Exclamation);
        return false;
    }
    OutgoingMail mail;
    mail.to = txtTo->text().trimmed();
    mail.subject = m_subject;
    mail.text = m_letter;
    mail.confidential = m_confidential;
    if (const QString problem =
            mailAddressProblem(mail.to, QStringLiteral("The shop's e-mail address"));
        !problem.isEmpty()) {
        warn(problem);
        txtTo->setFocus();
        return false;
    }
    if (t->isServer()) {
        mail.fromAddress = m_session.account.address;
        mail.fromName = Current_User_Details().Name.trimmed();
        QString problem =
            mailAddressProblem(mail.fromAddress, QStringLiteral("Your e-mail address"));
        if (!problem.isEmpty())
            problem += QStringLiteral(" It is entered in the mail settings.");
        else
            problem = mailHeaderProblem(mail.fromName, QStringLiteral("Your name"));
        if (!problem.isEmpty()) {
            warn(problem);
            return false;
        }
    }
    if (m_confidential && !t->encrypted()) {
        warn(QStringLiteral(
            "This order holds your card details, and the way it would go is not encrypted, so it "
            "was "
            "not sent. Please choose an encrypted connection in the mail settings, or untick "
            "\"Pay by Credit Card\"."));
        return false;
    }

    QString password;
    bool asked = false;
    if (t->needsPassword() && !Mail_Password_Find(m_session.account, password)) {
        if (!frmMailPassword::Ask(m_session.account.userName, m_session.account.server, this,
                                  password))
            return false;
        asked = true;
        Mail_Password_Remember(m_session.account, password);
    }

    MailOutcome outcome;
    {
        BusyScope busy;
        m_sending = true;
        for (QWidget* w : std::initializer_list<QWidget*>{txtTo, cmdSend, cmdCancel, cmdSettings})
            w->setEnabled(false);
        lblVia->setText(QStringLiteral("Sending ..."));
        struct Restore {
            frmSendMail* d;
            ~Restore() {
                d->m_sending = false;
                for (QWidget* w :
                     std::initializer_list<QWidget*>{d->txtTo, d->cmdCancel, d->cmdSettings})
                    w->setEnabled(true);
                d->showTransport();
            }
        } restore{this};
        outcome = t->send(mail, password);
    }
    if (outcome.delivered()) {
        if (asked) Mail_Password_Keep(m_session.account, password);
        if (outcome.status == MailOutcome::Sent) m_sentTo = mail.to;
        return true;
    }
    if (outcome.status == MailOutcome::LoginRefused) Mail_Password_Refused(m_session.account);
    warn(outcome.message.isEmpty() ? QStringLiteral("The message could not be sent.")
                                   : outcome.message);
    return false;
}

void frmSendMail::reject() {
    if (!m_sending) QDialog::reject();
}

void frmSendMail::closeEvent(QCloseEvent* event) {
    if (m_sending) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmSendMail::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Center_Form(this);
    }
}

} // namespace kv
