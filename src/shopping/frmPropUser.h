#pragma once

#include "shopping/UserDetails.h"
#include "shopping/UserDetailsStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kv {

// The user details dialog: the customer's name, address and contact numbers and, if the
// user likes, card details, for orders. It is loaded on first reference (reading the
// stored details) and then only hidden and shown again until the program ends; its fields
// are the one source of the details for orders in the run. OK stores them as the two
// "Remember" boxes say; Cancel and the close box put back what OK (or loading) left.
//
// The card number shows masked (all digits but the last four) until the user edits it;
// the first key that changes a masked number starts a new one.
class frmPropUser : public QDialog {
    Q_OBJECT
public:
    explicit frmPropUser(QWidget* parent = nullptr);
    ~frmPropUser() override;

    // The loaded dialog, loading it (and the stored details) first when needed.
    static frmPropUser* instance();
    // Makes order composition read its details from the dialog (loading it on first use).
    static void installDetailsSource();

    bool Accepted = false;

    // The fields as they stand now (the card number itself, not its mask).
    UserDetails details() const;
    // The card number as the user sees it: masked until edited.
    bool cardNumberMasked() const { return m_cardMasked; }

    QTabWidget* SSTab1;
    QLabel* lblName;
    QLineEdit* txtName;
    QLabel* lblAddress;
    QPlainTextEdit* txtAddress;
    QLabel* lblPostCode;
    QLineEdit* txtPostCode;
    QLabel* lblPhone;
    QLineEdit* txtPhone;
    QLabel* lblFax;
    QLineEdit* txtFax;
    QLabel* lblEMail;
    QLineEdit* txtEMail;
    QCheckBox* chkRDetails;
    QLabel* lblCardType;
    QComboBox* cboCardType;
    QLabel* lblCardName;
    QLineEdit* txtCardName;
    QLabel* lblCardNumber;
    QLineEdit* txtCardNumber;
    QLabel* lblExpire;
    QLineEdit* txtExpire;
    QCheckBox* chkRCard;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;

    // The longest input of each field (the "User Data" field sizes).
    static constexpr int kNameLength = 100;
    static constexpr int kPostCodeLength = 20;
    static constexpr int kPhoneLength = 25;
    static constexpr int kEMailLength = 255;
    static constexpr int kCardLength = 50;
    static constexpr int kExpireLength = 10;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Everything Cancel puts back.
    struct Snapshot {
        UserDetails details;
        bool rememberDetails = false;
        bool rememberCard = false;
    };
    void Form_Load();
    void cmdOK_Click();
    bool Save();
    Snapshot take() const;
    void restore(const Snapshot& s);
    void setCardNumber(const QString& number);
    void unmaskCardNumber();

    UserDetailsStore m_store;
    Snapshot m_snapshot;
    QString m_cardNumber;  // the number while it is masked
    bool m_cardMasked = false;
    bool m_settingCard = false;
    // The stored card number as it is in the table (sealed), and the number it holds; it
    // is written again as it is while the number is unchanged, or could not be opened and
    // was not replaced.
    QString m_storedCard;
    QString m_storedNumber;
    bool m_storedUnreadable = false;
};

} // namespace kv
