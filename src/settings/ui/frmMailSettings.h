#pragma once

#include "platform/Mail.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kv {

// Opens the mail settings modally (from the options and from the send dialog); true when
// the user left them with OK.
bool Show_Mail_Settings(QWidget* parent = nullptr);

// The mail settings: the desktop mail program, or the user's mail server with its port,
// security, user name, password and the user's address. OK checks and stores the account
// (the password goes to the secret store, or is kept for this run only); Cancel changes
// nothing.
class frmMailSettings : public QDialog {
    Q_OBJECT
public:
    explicit frmMailSettings(QWidget* parent = nullptr);

    QRadioButton* optDesktop;
    QRadioButton* optServer;
    QGroupBox* fraServer;
    QLabel* lblServer;
    QLineEdit* txtServer;
    QLabel* lblPort;
    QSpinBox* txtPort;
    QLabel* lblSecurity;
    QComboBox* cboSecurity; // "SSL/TLS", "STARTTLS"
    QLabel* lblUserName;
    QLineEdit* txtUserName;
    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QLabel* lblAddress;
    QLineEdit* txtAddress;
    QLabel* lblPasswordNote;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;

    // The account as the controls stand.
    MailAccount account() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void cboSecurity_Click();
    void cmdOK_Click();
    void enableServer();

    MailAccount m_loaded;
    bool m_centred = false;
};

} // namespace kv
