#include "connections/frmPropConnection.h"

#include "platform/AppContext.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/DialogOnFirstUse.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

// A several-line box that holds at most `limit` characters, as its field does: typing
// or pasting past the limit keeps the first `limit`.
QPlainTextEdit* limitedBox(QWidget* parent, const char* name, int limit, int lines) {
    auto* box = named(new QPlainTextEdit(parent), QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * lines + 12);
    if (limit > 0) {
        QObject::connect(box, &QPlainTextEdit::textChanged, box, [box, limit] {
            const QString text = box->toPlainText();
            if (text.size() <= limit) return;
            QTextCursor keep = box->textCursor();
            const int at = std::min(keep.position(), limit);
            box->setPlainText(text.left(limit));
            keep = box->textCursor();
            keep.setPosition(at);
            box->setTextCursor(keep);
        });
    }
    return box;
}

} // namespace

frmPropConnection::frmPropConnection(QWidget* parent) : QDialog(parent) {
    setObjectName(form::ConnectionProperties);
    setWindowTitle(QStringLiteral("Connection Item"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));
    auto* page = new QWidget;
    lblName = named(new QLabel(QStringLiteral("Name"), page), QStringLiteral("lblName"));
    txtName = named(new QLineEdit(page), QStringLiteral("txtName"));
    txtName->setMaxLength(kNameLength);
    lblDescription =
        named(new QLabel(QStringLiteral("Description"), page), QStringLiteral("lblDescription"));
    txtDescription = limitedBox(page, "txtDescription", kDescriptionLength, 3);
    lblURL = named(new QLabel(QStringLiteral("Site's URL"), page), QStringLiteral("lblURL"));
    txtURL = limitedBox(page, "txtURL", kURLLength, 2);
    lblNotes = named(new QLabel(QStringLiteral("Notes"), page), QStringLiteral("lblNotes"));
    txtNotes = limitedBox(page, "txtNotes", 0, 5);
    txtNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblName->setBuddy(txtName);
    lblDescription->setBuddy(txtDescription);
    lblURL->setBuddy(txtURL);
    lblNotes->setBuddy(txtNotes);
    // A screen reader names each box by its label.
    txtName->setAccessibleName(lblName->text());
    txtDescription->setAccessibleName(lblDescription->text());
    txtURL->setAccessibleName(lblURL->text());
    txtNotes->setAccessibleName(lblNotes->text());
    auto* form = new QFormLayout(page);
    form->addRow(lblName, txtName);
    form->addRow(lblDescription, txtDescription);
    form->addRow(lblURL, txtURL);
    form->addRow(lblNotes, txtNotes);
    SSTab1->addTab(page, QStringLiteral("Connection Details"));

    const DialogButtonRow buttons = dialogButtonRow(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    layOutDialog(this, SSTab1, buttons);
    resize(420, sizeHint().height());
    Center_Form_When_Shown(this);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        Accepted = false;
        reject();
    });
    connect(cmdHelp, &QPushButton::clicked, this,
            [] { Show_Help_Context(help::ConnectionItem); });
}

void frmPropConnection::cmdOK_Click() {
    if (txtName->text().isEmpty()) {
        ctx().messages().show(QStringLiteral("Please enter a name for the connection"),
                              mb::OKOnly | mb::Exclamation);
        SSTab1->setCurrentIndex(0);
        txtName->setFocus();
        return;
    }
    Accepted = true;
    accept();
}

frmPropConnection* connectionDialog() {
    return dialogOnFirstUse<frmPropConnection>(form::ConnectionProperties);
}

} // namespace kv
