#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kv {

// The connection dialog: name, description, the site's address and notes of one
// connection. It only collects the entries; bConnection_Item_Edit fills it and stores what
// the user confirmed. Loaded on first use and only hidden afterwards.
class frmPropConnection : public QDialog {
    Q_OBJECT
public:
    explicit frmPropConnection(QWidget* parent = nullptr);

    // True when the user left with OK (and the entries passed the check).
    bool Accepted = false;

    static constexpr int kNameLength = 50;
    static constexpr int kDescriptionLength = 255;
    static constexpr int kURLLength = 255;

    QTabWidget* SSTab1;
    QLabel* lblName;
    QLineEdit* txtName;
    QLabel* lblDescription;
    QPlainTextEdit* txtDescription;
    QLabel* lblURL;
    QPlainTextEdit* txtURL;
    QLabel* lblNotes;
    QPlainTextEdit* txtNotes;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdHelp;

private:
    void cmdOK_Click();
};

// The dialog of the run, loaded on first use.
frmPropConnection* connectionDialog();

} // namespace kv
