// The collection screen in collections mode: the collection shown and the list to choose
// another from, the statement of its items, and what the buttons do to an item.
#include "app/Navigation.h"
#include "catalogue/Catalogue.h"
#include "collections/CollectionIcon.h"
#include "collections/CollectionPrint.h"
#include "collections/CollectionStore.h"
#include "collections/DataControl.h"
#include "collections/DataGrid.h"
#include "collections/NRCollections.h"
#include "collections/frmCollection.h"
#include "collections/frmCollectionList.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

namespace kv {

void frmCollection::fillCollectionList() {
    lstCollection->clear();
    for (const auto& c : RCollections().Items()) {
        auto* row = new QListWidgetItem(c->strTitle, lstCollection);
        row->setData(Qt::UserRole, int(c->intCollectionID));
    }
}

CCollection* frmCollection::currentCollection() const {
    return m_collectionID < 0 ? nullptr : RCollections().item(collectionKey(m_collectionID));
}

void frmCollection::selectCollectionRow(int row) {
    lstCollection->setCurrentRow(row);
    QListWidgetItem* item = lstCollection->item(row);
    m_collectionID = item ? qint16(item->data(Qt::UserRole).toInt()) : qint16(-1);
    showCollectionHeading();
    buildFindLists();
}

void frmCollection::showCollectionHeading() {
    const CCollection* c = currentCollection();
    LblCollection->setText(c ? c->strTitle : QString());
    imgIcon->setAccessibleName(c ? QStringLiteral("Icon of ") + c->strTitle : QStringLiteral("Collection icon"));
    const QPixmap own = c ? c->Collection_icon : QPixmap();
    imgIcon->setPixmap(
        own.isNull() ? resourcePicture(ctx().constants.lngResourceBase + collectionArt::NoIcon, this)
                     : fitIcon(own, 24, devicePixelRatioF()));
}

// Left out of the find dialog: the key, the album number and the deleted flags, the user
// fields the collection does not use, and the columns the store keeps for itself; the
// fields it uses are offered under their own titles.
void frmCollection::buildFindLists() {
    m_excluded = {0, 2, 8, 9};
    m_renamed.clear();
    m_renamedNames.clear();
    const CCollection* c = currentCollection();
    for (int i = 1; i <= 5; ++i) {
        if (c && c->UDFvisible(i)) {
            m_renamed << 9 + i;
            m_renamedNames << c->UDFTitle(i);
        } else {
            m_excluded << 9 + i;
        }
    }
    m_excluded << 15 << 16 << 17 << 18;
}

void frmCollection::Refresh_Collection() {
    BusyScope busy;
    const int row = lstCollection->currentRow();
    if (row >= 0) {
        selectCollectionRow(row);
        // Another collection starts from its whole list in its usual order.
        m_collConditions.clear();
        m_collKeys.clear();
        if (m_mode != screen::Connections) Set_DataSource_Coll();
    }
    lstCollection->hide();
    Refresh_Details();
}

void frmCollection::collectionChanged(qint16 intCollectionID) {
    if (intCollectionID != m_collectionID) return;
    showCollectionHeading();
    buildFindLists();
    if (m_mode == screen::Collections) {
        reread();
        Refresh_Details();
    }
}

void frmCollection::toggleCollectionList() {
    if (m_mode == screen::Connections) return;
    if (lstCollection->isVisible()) {
        lstCollection->hide();
        return;
    }
    for (int r = 0; r < lstCollection->count(); ++r)
        if (lstCollection->item(r)->data(Qt::UserRole).toInt() == m_collectionID) lstCollection->setCurrentRow(r);
    lstCollection->show();
    lstCollection->raise();
    lstCollection->setFocus();
}

bool frmCollection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstCollection && event->type() == QEvent::KeyPress &&
        collectionListKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    if ((watched == imgIcon || watched == LblCollection) && event->type() == QEvent::MouseButtonRelease &&
        headingMouseRelease(watched, static_cast<QMouseEvent*>(event)))
        return true;
    // The menu key on the icon: the mouse's menu comes from the button release above.
    if (watched == imgIcon && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
        mnuPopup1Node->popup(imgIcon->mapToGlobal(QPoint(0, imgIcon->height())));
        return true;
    }
    return ScreenWindow::eventFilter(watched, event);
}

// Escape closes the drop-down list; Enter chooses its row as a click does.
bool frmCollection::collectionListKey(int key) {
    if (key == Qt::Key_Escape) {
        lstCollection->hide();
        TDBGrid1->setFocus();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Refresh_Collection();
        TDBGrid1->setFocus();
        return true;
    }
    return false;
}

// The right button on the icon or the name opens the collection's menu; the left on the
// name opens the list.
bool frmCollection::headingMouseRelease(QObject* watched, QMouseEvent* mouse) {
    if (mouse->button() == Qt::RightButton) {
        mnuPopup1Node->popup(mouse->globalPosition().toPoint());
        return true;
    }
    if (watched == LblCollection && mouse->button() == Qt::LeftButton) {
        toggleCollectionList();
        return true;
    }
    return false;
}

void frmCollection::mnuPop1Delete_Click() {
    if (!bCollection_Delete(CollectionList::Screen)) return;
    // The store has put the list on its first row when the shown collection went.
    if (!currentCollection()) Refresh_Collection();
}

void frmCollection::mnuPop1Prop_Click() {
    bCollection_Edit(CollectionList::Screen);
}

void frmCollection::imgCollections_Click() {
    guarded("imgCollections_Click", [&] {
        frmCollectionList* dialog = collectionListDialog();
        if (!dialog) return;
        ctx().services.dialogs->exec(*dialog);
        // A collection deleted there may be the one shown here.
        if (!currentCollection()) Refresh_Collection();
    });
}

void frmCollection::imgPrint_Click() {
    guarded("imgPrint_Click", [&] {
        const CCollection* c = currentCollection();
        if (!c) return;
        List_Print(Data1->recordset(), *c);
    });
}

void frmCollection::editItem() {
    if (!hasRow()) {
        ctx().messages().show(QStringLiteral("Please select the recording you wish to edit from the collection"),
                              mb::OKOnly);
        return;
    }
    const QString catalogueNumber = strCheckNull(Data1->currentValue(QStringLiteral("Catalogue Number")));
    if (bCollection_Item_Edit(m_collectionID, catalogueNumber)) {
        m_readStamp = databaseStamp();
        Data1->refreshRows();
    }
    Refresh_Details();
}

void frmCollection::removeItem() {
    if (!hasRow()) {
        ctx().messages().show(QStringLiteral("Please select the recording you wish to remove from the collection"),
                              mb::OKOnly);
        return;
    }
    const QString catalogueNumber = strCheckNull(Data1->currentValue(QStringLiteral("Catalogue Number")));
    // The row's text as the grid shows it (an item without an artist has no "Both").
    const QString shown = Data1->data(Data1->index(Data1->currentRow(), 0)).toString();
    if (bCollection_DeleteFrom(m_collectionID, catalogueNumber, shown)) {
        reread();
        Init_Grid_Collection();
    }
}

} // namespace kv
