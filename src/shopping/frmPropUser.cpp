#include "shopping/frmPropUser.h"

#include "catalogue/Catalogue.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"
#include "shopping/CardSeal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

QLineEdit* box(const char* name, int maxLength) {
    auto* b = named(new QLineEdit, QString::fromLatin1(name));
    b->setMaxLength(maxLength);
    return b;
}

// Adds a field with its label as a row of the form; the label names the field for screen
// readers.
template <typename Field>
Field* row(QFormLayout* form, QLabel*& label, const char* labelName, const char* text, Field* field) {
    label = named(new QLabel(QString::fromLatin1(text)), QString::fromLatin1(labelName));
    label->setBuddy(field);
    form->addRow(label, field);
    return field;
}

} // namespace

frmPropUser::frmPropUser(QWidget* parent) : QDialog(parent) {
    setObjectName(form::UserDetails);
    setWindowTitle(QStringLiteral("User Details"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));

    auto* address = new QWidget;
    auto* addressForm = new QFormLayout(address);
    txtName = row(addressForm, lblName, "lblName", "Name", box("txtName", kNameLength));
    txtAddress = named(new QPlainTextEdit, QStringLiteral("txtAddress"));
    txtAddress->setTabChangesFocus(true);
    txtAddress->setFixedHeight(txtAddress->fontMetrics().lineSpacing() * 4 + 12);
    row(addressForm, lblAddress, "lblAddress", "Address", txtAddress);
    txtPostCode = row(addressForm, lblPostCode, "lblPostCode", "Post Code", box("txtPostCode", kPostCodeLength));
    txtPhone = row(addressForm, lblPhone, "lblPhone", "Contact Phone Number", box("txtPhone", kPhoneLength));
    txtFax = row(addressForm, lblFax, "lblFax", "Fax Number", box("txtFax", kPhoneLength));
    txtEMail = row(addressForm, lblEMail, "lblEMail", "E-mail", box("txtEMail", kEMailLength));
    chkRDetails = named(new QCheckBox(QStringLiteral("Remember Details")), QStringLiteral("chkRDetails"));
    addressForm->addRow(QString(), chkRDetails);

    auto* card = new QWidget;
    auto* cardForm = new QFormLayout(card);
    // The user types the card type; the list offers nothing.
    cboCardType = named(new QComboBox, QStringLiteral("cboCardType"));
    cboCardType->setEditable(true);
    cboCardType->setInsertPolicy(QComboBox::NoInsert);
    cboCardType->lineEdit()->setMaxLength(kCardLength);
    row(cardForm, lblCardType, "lblCardType", "Card Type", cboCardType);
    txtCardName = row(cardForm, lblCardName, "lblCardName", "Name on card", box("txtCardName", kCardLength));
    txtCardNumber = row(cardForm, lblCardNumber, "lblCardNumber", "Card Number", box("txtCardNumber", kCardLength));
    txtExpire = row(cardForm, lblExpire, "lblExpire", "Expiry Date", box("txtExpire", kExpireLength));
    chkRCard = named(new QCheckBox(QStringLiteral("Remember Card Details")), QStringLiteral("chkRCard"));
    cardForm->addRow(QString(), chkRCard);

    // "&&" shows as one ampersand in a tab's text.
    SSTab1->addTab(address, QStringLiteral("Name && Address"));
    SSTab1->addTab(card, QStringLiteral("Card Details"));

    const DialogButtonRow buttons = dialogButtonRow(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    layOutDialog(this, SSTab1, buttons);
    setMinimumWidth(440);

    txtCardNumber->installEventFilter(this);
    connect(txtCardNumber, &QLineEdit::textChanged, this, [this] {
        // A change that did not come through a key (a paste, a drop) also ends the mask;
        // the bullets it leaves behind are not digits of any number.
        if (m_cardMasked && !m_settingCard) {
            m_cardMasked = false;
            m_cardNumber.clear();
            const QString typed = txtCardNumber->text().remove(QChar(0x2022));
            m_settingCard = true;
            txtCardNumber->setText(typed);
            m_settingCard = false;
        }
    });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::UserDetails); });

    Center_Form_When_Shown(this);
    Form_Load();
}

frmPropUser::~frmPropUser() {
    m_store.close();
}

frmPropUser* frmPropUser::instance() {
    FormRegistry& forms = ctx().forms;
    if (!forms.hasFactory(form::UserDetails))
        forms.registerFactory(form::UserDetails, [] {
            return new frmPropUser(qobject_cast<QWidget*>(ctx().forms.loaded(form::Background)));
        });
    return forms.get<frmPropUser>(form::UserDetails);
}

void frmPropUser::installDetailsSource() {
    ctx().slot<UserDetailsSource>().read = [] {
        frmPropUser* dialog = instance();
        return dialog ? dialog->details() : UserDetails();
    };
}

void frmPropUser::Form_Load() {
    guarded("Form_Load", [&] {
        m_store.open(dbCatalogue());
        const StoredUserDetails s = m_store.load();
        const UserDetails& d = s.details;
        txtName->setText(d.Name);
        txtAddress->setPlainText(d.Address);
        txtPostCode->setText(d.PostCode);
        txtPhone->setText(d.Phone);
        txtFax->setText(d.Fax);
        txtEMail->setText(d.EMail);
        cboCardType->setEditText(d.CardType);
        txtCardName->setText(d.CardName);
        setCardNumber(d.CardNumber);
        txtExpire->setText(d.Expires);
        chkRDetails->setChecked(s.rememberDetails);
        chkRCard->setChecked(s.rememberCard);
        m_storedCard = s.sealedCard;
        m_storedNumber = d.CardNumber;
        m_storedUnreadable = s.cardUnreadable;
        if (s.cardUnreadable)
            ctx().messages().show(QStringLiteral("Your stored card number cannot be read: ") +
                                      s.cardUnreadableWhy + QStringLiteral(".") + QChar(u'\r') +
                                      QStringLiteral("Please enter it again in Your Details."),
                                  mb::OKOnly | mb::Exclamation);
    });
    m_snapshot = take();
}

UserDetails frmPropUser::details() const {
    UserDetails d;
    d.Name = txtName->text();
    d.Address = txtAddress->toPlainText();
    d.PostCode = txtPostCode->text();
    d.Phone = txtPhone->text();
    d.Fax = txtFax->text();
    d.EMail = txtEMail->text();
    d.CardType = cboCardType->currentText();
    d.CardName = txtCardName->text();
    d.CardNumber = m_cardMasked ? m_cardNumber : txtCardNumber->text();
    d.Expires = txtExpire->text();
    return d;
}

void frmPropUser::setCardNumber(const QString& number) {
    m_cardNumber = number;
    m_cardMasked = !number.isEmpty();
    m_settingCard = true;
    txtCardNumber->setText(m_cardMasked ? Card_Masked(number) : number);
    m_settingCard = false;
}

void frmPropUser::unmaskCardNumber() {
    m_cardMasked = false;
    m_cardNumber.clear();
    m_settingCard = true;
    txtCardNumber->clear();
    m_settingCard = false;
}

bool frmPropUser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtCardNumber && m_cardMasked && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool erases = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
        const bool types = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (erases || types || key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Paste)) {
            // Editing a masked number starts a new one: what is hidden cannot be edited.
            unmaskCardNumber();
            if (erases) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

frmPropUser::Snapshot frmPropUser::take() const {
    return {details(), chkRDetails->isChecked(), chkRCard->isChecked()};
}

void frmPropUser::restore(const Snapshot& s) {
    txtName->setText(s.details.Name);
    txtAddress->setPlainText(s.details.Address);
    txtPostCode->setText(s.details.PostCode);
    txtPhone->setText(s.details.Phone);
    txtFax->setText(s.details.Fax);
    txtEMail->setText(s.details.EMail);
    cboCardType->setEditText(s.details.CardType);
    txtCardName->setText(s.details.CardName);
    setCardNumber(s.details.CardNumber);
    txtExpire->setText(s.details.Expires);
    chkRDetails->setChecked(s.rememberDetails);
    chkRCard->setChecked(s.rememberCard);
}

bool frmPropUser::Save() {
    const UserDetails d = details();
    const bool remember = chkRDetails->isChecked();
    const bool rememberCard = remember && chkRCard->isChecked();
    QString storedCard;
    if (rememberCard) {
        if (d.CardNumber.isEmpty()) {
            // A number that could not be opened stays stored until the user gives another.
            if (m_storedUnreadable) storedCard = m_storedCard;
        } else if (d.CardNumber == m_storedNumber && isSealedCard(m_storedCard)) {
            storedCard = m_storedCard;
        } else {
            QString why;
            if (!Card_Seal(d.CardNumber, storedCard, why)) {
                ctx().messages().show(QStringLiteral("Your card number cannot be remembered: ") +
                                          why + QStringLiteral(".") + QChar(u'\r') +
                                          QStringLiteral("Untick Remember Card Details to go on "
                                                         "without remembering it."),
                                      mb::OKOnly | mb::Exclamation);
                SSTab1->setCurrentIndex(1);
                return false;
            }
        }
    }
    const bool saved = guarded("cmdOK_Click", [&] {
        BusyScope busy;
        if (!m_store.isOpen()) m_store.open(dbCatalogue());
        m_store.save(d, remember, rememberCard, storedCard);
    });
    if (!saved) return false;
    m_storedCard = rememberCard ? storedCard : QString();
    m_storedNumber = rememberCard ? d.CardNumber : QString();
    m_storedUnreadable = rememberCard && d.CardNumber.isEmpty() && !storedCard.isEmpty();
    return true;
}

void frmPropUser::cmdOK_Click() {
    // A save that failed was reported; the dialog stays open with everything as typed, so
    // the user can try again or go on without remembering.
    if (!Save()) return;
    m_snapshot = take();
    Accepted = true;
    accept();
}

void frmPropUser::reject() {
    restore(m_snapshot);
    Accepted = false;
    QDialog::reject();
}

void frmPropUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A number the user entered before is hidden again whenever the dialog comes back.
    if (!m_cardMasked && !txtCardNumber->text().isEmpty()) setCardNumber(txtCardNumber->text());
}

} // namespace kv
