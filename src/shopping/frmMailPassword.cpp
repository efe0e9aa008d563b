#include "shopping/frmMailPassword.h"

#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

frmMailPassword::frmMailPassword(const QString& userName, const QString& server, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmMailPassword"));
    setWindowTitle(QStringLiteral("Mail Password"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    txtPassword = named(new QLineEdit(this), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    const QString text = QStringLiteral("Password of %1 at %2:").arg(userName, server);
    lblPassword = named(new QLabel(text, this), "lblPassword");
    lblPassword->setBuddy(txtPassword);
    lblPassword->setWordWrap(true);
    txtPassword->setAccessibleName(text);
    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPassword);
    layout->addWidget(txtPassword);
    layout->addLayout(buttons);
    setMinimumWidth(320);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        if (!txtPassword->text().isEmpty()) accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmMailPassword::Ask(const QString& userName, const QString& server, QWidget* parent,
                          QString& password) {
    frmMailPassword dialog(userName, server, parent);
    const int result =
        ctx().services.dialogs ? ctx().services.dialogs->exec(dialog) : dialog.exec();
    if (result != QDialog::Accepted || dialog.txtPassword->text().isEmpty()) return false;
    password = dialog.txtPassword->text();
    dialog.txtPassword->clear();
    return true;
}

} // namespace kv
