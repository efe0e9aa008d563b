#include "collections/frmCollectionList.h"

#include "collections/CollectionStore.h"
#include "collections/NRCollections.h"
#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kDialogName = QStringLiteral("frmCollectionList");

} // namespace

frmCollectionList::frmCollectionList(QWidget* parent) : QDialog(parent) {
    setObjectName(kDialogName);
    setWindowTitle(QStringLiteral("Collections"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    LstCollections = named(new QListWidget(this), QStringLiteral("LstCollections"));
    LstCollections->setAccessibleName(QStringLiteral("Collections"));
    cmdAdd = named(new QPushButton(QStringLiteral("Add"), this), QStringLiteral("cmdAdd"));
    cmdEdit = named(new QPushButton(QStringLiteral("Edit"), this), QStringLiteral("cmdEdit"));
    cmdDelete = named(new QPushButton(QStringLiteral("Delete"), this), QStringLiteral("cmdDelete"));
    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), QStringLiteral("cmdClose"));
    cmdHelp = named(new QPushButton(QStringLiteral("Help"), this), QStringLiteral("cmdHelp"));
    cmdClose->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    buttons->addWidget(cmdHelp);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(LstCollections, 1);
    layout->addLayout(buttons);
    resize(360, 260);

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

void frmCollectionList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Center_Form(this);
    }
}

frmCollectionList* collectionListDialog() {
    FormRegistry& forms = ctx().forms;
    if (!forms.hasFactory(kDialogName))
        forms.registerFactory(kDialogName, [] {
            return new frmCollectionList(
                qobject_cast<QWidget*>(ctx().forms.loaded(QStringLiteral("frmBackground"))));
        });
    return forms.get<frmCollectionList>(kDialogName);
}

} // namespace kv
