#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

// Asks for the mail server's password when neither this run nor the secret store knows it.
class frmMailPassword : public QDialog {
    Q_OBJECT
public:
    frmMailPassword(const QString& userName, const QString& server, QWidget* parent = nullptr);

    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    // Shows the dialog modally; true and the password when the user gave one.
    static bool Ask(const QString& userName, const QString& server, QWidget* parent,
                    QString& password);
};

} // namespace kv
