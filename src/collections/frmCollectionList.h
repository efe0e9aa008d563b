#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kv {

// The collections dialog: every collection by name, with Add, Edit and Delete. Created on
// first use and afterwards only hidden (its close box hides it too), so its list persists;
// the store keeps the list in step while it is loaded.
class frmCollectionList : public QDialog {
    Q_OBJECT
public:
    explicit frmCollectionList(QWidget* parent = nullptr);
    ~frmCollectionList() override;

    QListWidget* LstCollections;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdDelete;
    QPushButton* cmdClose;
    QPushButton* cmdHelp;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// The dialog of the run, loaded on first use.
frmCollectionList* collectionListDialog();

} // namespace kv
