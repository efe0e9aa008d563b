#include "collections/frmCollectionList.h"

#include "collections/CollectionStore.h"
#include "collections/NRCollections.h"
#include "platform/AppContext.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/DialogOnFirstUse.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

frmCollectionList::frmCollectionList(QWidget* parent) : QDialog(parent) {
    setObjectName(form::CollectionList);
    setWindowTitle(QStringLiteral("Collections"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // The list with what acts on its rows beside it; Close and Help at the foot.
    auto* body = new QWidget(this);
    LstCollections = named(new QListWidget(body), QStringLiteral("LstCollections"));
    LstCollections->setAccessibleName(QStringLiteral("Collections"));
    cmdAdd = named(new QPushButton(QStringLiteral("Add"), body), QStringLiteral("cmdAdd"));
    cmdEdit = named(new QPushButton(QStringLiteral("Edit"), body), QStringLiteral("cmdEdit"));
    cmdDelete = named(new QPushButton(QStringLiteral("Delete"), body), QStringLiteral("cmdDelete"));
    auto* actions = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete})
        actions->addWidget(b);
    actions->addStretch(1);
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(LstCollections, 1);
    bodyLayout->addLayout(actions);
    const DialogButtonRow buttons =
        dialogButtonRow(this, QStringLiteral("Close"), QStringLiteral("cmdClose"), QString());
    cmdClose = buttons.ok;
    cmdHelp = buttons.help;
    layOutDialog(this, body, buttons);
    resize(360, 260);
    Center_Form_When_Shown(this);

    for (const auto& c : RCollections().Items()) {
        auto* row = new QListWidgetItem(c->strTitle, LstCollections);
        row->setData(Qt::UserRole, int(c->intCollectionID));
    }
    if (LstCollections->count() > 0) LstCollections->setCurrentRow(0);
    registerCollectionList(CollectionList::Dialog, LstCollections);

    connect(cmdAdd, &QPushButton::clicked, this, [] { bCollection_New(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] {
        if (LstCollections->currentRow() >= 0) bCollection_Edit(CollectionList::Dialog);
    });
    connect(LstCollections, &QListWidget::itemDoubleClicked, this,
            [] { bCollection_Edit(CollectionList::Dialog); });
    connect(cmdDelete, &QPushButton::clicked, this, [] { bCollection_Delete(CollectionList::Dialog); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { hide(); });
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::CollectionList); });
}

frmCollectionList::~frmCollectionList() {
    if (collectionStore().dialogList == LstCollections)
        registerCollectionList(CollectionList::Dialog, nullptr);
}

void frmCollectionList::closeEvent(QCloseEvent* event) {
    // The close box only hides: the dialog stays loaded with its list.
    event->ignore();
    hide();
}

frmCollectionList* collectionListDialog() {
    return dialogOnFirstUse<frmCollectionList>(form::CollectionList);
}

} // namespace kv
