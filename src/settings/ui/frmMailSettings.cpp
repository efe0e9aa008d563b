#include "settings/ui/frmMailSettings.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"
#include "settings/MailSettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {

QLabel* labelFor(QWidget* parent, const QString& text, QWidget* buddy, const char* name) {
    auto* label = named(new QLabel(text, parent), QString::fromLatin1(name));
    label->setBuddy(buddy);
    buddy->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

MailSecurity securityAt(int index) {
    return index == 1 ? MailSecurity::StartTls : MailSecurity::SslTls;
}

} // namespace

frmMailSettings::frmMailSettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMailSettings"));
    setWindowTitle(QStringLiteral("Mail Settings"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    optDesktop =
        named(new QRadioButton(QStringLiteral("Use my &desktop mail program"), this), "optDesktop");
    optServer =
        named(new QRadioButton(QStringLiteral("Send through my &mail server"), this), "optServer");
    optDesktop->setAccessibleName(QStringLiteral("Use my desktop mail program"));
    optServer->setAccessibleName(QStringLiteral("Send through my mail server"));

    fraServer = named(new QGroupBox(QStringLiteral("Mail server"), this), "fraServer");
    txtServer = named(new QLineEdit(fraServer), "txtServer");
    txtServer->setPlaceholderText(QStringLiteral("e.g. smtp.example.com"));
    txtPort = named(new QSpinBox(fraServer), "txtPort");
    txtPort->setRange(1, 65535);
    cboSecurity = named(new QComboBox(fraServer), "cboSecurity");
    cboSecurity->addItems({QStringLiteral("SSL/TLS"), QStringLiteral("STARTTLS")});
    txtUserName = named(new QLineEdit(fraServer), "txtUserName");
    txtPassword = named(new QLineEdit(fraServer), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    txtAddress = named(new QLineEdit(fraServer), "txtAddress");
    txtAddress->setPlaceholderText(QStringLiteral("you@example.com"));
    lblServer = labelFor(fraServer, QStringLiteral("&Server"), txtServer, "lblServer");
    lblPort = labelFor(fraServer, QStringLiteral("&Port"), txtPort, "lblPort");
    lblSecurity = labelFor(fraServer, QStringLiteral("S&ecurity"), cboSecurity, "lblSecurity");
    lblUserName = labelFor(fraServer, QStringLiteral("&User name"), txtUserName, "lblUserName");
    lblPassword = labelFor(fraServer, QStringLiteral("Pass&word"), txtPassword, "lblPassword");
    lblAddress =
        labelFor(fraServer, QStringLiteral("Your e-mail &address"), txtAddress, "lblAddress");
    lblPasswordNote = named(
        new QLabel(QStringLiteral("Your password is kept in your desktop's secret store. "
                                  "Where there is none, Korvanda asks for it once each time it "
                                  "runs and writes it nowhere."),
                   fraServer),
        "lblPasswordNote");
    lblPasswordNote->setWordWrap(true);

    auto* grid = new QGridLayout(fraServer);
    grid->addWidget(lblServer, 0, 0);
    grid->addWidget(txtServer, 0, 1, 1, 3);
    grid->addWidget(lblPort, 1, 0);
    grid->addWidget(txtPort, 1, 1);
    grid->addWidget(lblSecurity, 1, 2, Qt::AlignRight);
    grid->addWidget(cboSecurity, 1, 3);
    grid->addWidget(lblUserName, 2, 0);
    grid->addWidget(txtUserName, 2, 1, 1, 3);
    grid->addWidget(lblPassword, 3, 0);
    grid->addWidget(txtPassword, 3, 1, 1, 3);
    grid->addWidget(lblAddress, 4, 0);
    grid->addWidget(txtAddress, 4, 1, 1, 3);
    grid->addWidget(lblPasswordNote, 5, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), "cmdHelp");
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optDesktop);
    layout->addWidget(optServer);
    layout->addWidget(fraServer);
    layout->addLayout(buttons);
    setMinimumWidth(440);

    connect(optServer, &QRadioButton::toggled, this, [this] { enableServer(); });
    connect(cboSecurity, &QComboBox::activated, this, [this] { cboSecurity_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, &frmMailSettings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::MailSettings); });

    Form_Load();
}

void frmMailSettings::Form_Load() {
    m_loaded = Mail_Account_Load();
    (m_loaded.useServer ? optServer : optDesktop)->setChecked(true);
    txtServer->setText(m_loaded.server);
    cboSecurity->setCurrentIndex(m_loaded.security == MailSecurity::StartTls ? 1 : 0);
    txtPort->setValue(m_loaded.port);
    txtUserName->setText(m_loaded.userName);
    txtAddress->setText(m_loaded.address);
    // An empty password keeps the one given before, if there was one.
    txtPassword->setPlaceholderText(m_loaded.isSetUp() ? QStringLiteral("unchanged") : QString());
    enableServer();
}

void frmMailSettings::enableServer() {
    fraServer->setEnabled(optServer->isChecked());
}

void frmMailSettings::cboSecurity_Click() {
    // The port follows the security while it is the other choice's usual one.
    const MailSecurity chosen = securityAt(cboSecurity->currentIndex());
    const MailSecurity other =
        chosen == MailSecurity::SslTls ? MailSecurity::StartTls : MailSecurity::SslTls;
    if (txtPort->value() == Mail_Default_Port(other)) txtPort->setValue(Mail_Default_Port(chosen));
}

MailAccount frmMailSettings::account() const {
    MailAccount a = m_loaded;
    a.useServer = optServer->isChecked();
    a.server = txtServer->text().trimmed();
    a.port = txtPort->value();
    a.security = securityAt(cboSecurity->currentIndex());
    a.userName = txtUserName->text();
    a.address = txtAddress->text().trimmed();
    return a;
}

void frmMailSettings::cmdOK_Click() {
    const MailAccount a = account();
    if (a.useServer) {
        QString problem;
        QWidget* at = nullptr;
        if (a.server.isEmpty()) {
            problem = QStringLiteral("Please enter the name of your mail server.");
            at = txtServer;
        } else if (hasLineBreakOrNul(a.server) || a.server.contains(QLatin1Char(' ')) ||
                   a.server.contains(QLatin1Char('/'))) {
            problem = QStringLiteral("\"%1\" is not the name of a mail server: please correct it.")
                          .arg(a.server);
            at = txtServer;
        } else if (problem = mailHeaderProblem(a.userName, QStringLiteral("The user name"));
                   !problem.isEmpty()) {
            at = txtUserName;
        } else if (problem = mailAddressProblem(a.address, QStringLiteral("Your e-mail address"));
                   !problem.isEmpty()) {
            at = txtAddress;
        }
        if (!problem.isEmpty()) {
            ctx().messages().show(problem, mb::Exclamation);
            at->setFocus();
            return;
        }
    }
    if (!guarded("cmdOK_Click", [&] { return Mail_Account_Save(a); })) return;
    const QString password = txtPassword->text();
    txtPassword->clear();
    if (a.useServer && !password.isEmpty() &&
        Mail_Password_Keep(a, password) == PasswordKept::ThisRun)
        ctx().messages().show(
            QStringLiteral(
                "No secret store answers on this desktop, so Korvanda keeps your password "
                "only until it closes and asks for it again next time."),
            mb::Information);
    accept();
}

void frmMailSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Center_Form(this);
    }
}

bool Show_Mail_Settings(QWidget* parent) {
    frmMailSettings dialog(parent);
    const int result =
        ctx().services.dialogs ? ctx().services.dialogs->exec(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}

} // namespace kv
