#pragma once

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kv {

// The collection property dialog: name, notes, icon and the titles of the five
// user-defined item fields. It only collects input; CCollection::Item_Edit fills it before
// and reads it after.
class frmpropCollection : public QDialog {
    Q_OBJECT
public:
    explicit frmpropCollection(QWidget* parent = nullptr);

    // The icon file chosen while the dialog was open ("" when none was).
    QString iconFile() const { return m_iconFile; }
    // An icon was chosen.
    bool IconDirty = false;
    // The user pressed OK and the entries were valid.
    bool Accepted = false;

    // The picture now shown in imgIcon (null when there is none).
    QPixmap iconPicture() const { return m_icon; }
    void setIconPicture(const QPixmap& picture);

    QPushButton* cmdHelp;
    QPushButton* cmdCancel;
    QPushButton* cmdOK;
    QTabWidget* SSTProps;
    QLabel* lblName;
    QLineEdit* txtName;
    QLabel* lblNotes;
    QPlainTextEdit* txtNotes;
    QLabel* lblIcon;
    QLabel* imgIcon;
    QPushButton* cmdIcon;
    // Index 1 to 5 (element 0 is not used).
    std::array<QLabel*, 6> lblUDF{};
    std::array<QLineEdit*, 6> txtUDF{};
    std::array<QCheckBox*, 6> chkUDF{};

    static QString iconFilter();

    bool bValidate_Entry();
    void cmdIcon_Click();

private:
    void cmdOK_Click();
    void cmdCancel_Click();

    QString m_iconFile;
    QPixmap m_icon;
};

} // namespace kv
