#include "collections/CCollection.h"

#include "collections/CollectionStore.h"
#include "collections/frmpropCollection.h"
#include "core/ErrorReport.h"
#include "db/FieldFiles.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kv {

namespace {

int udfSlot(int i) {
    if (i < 1 || i > 5) raiseError(err::SubscriptOutOfRange);
    return i - 1;
}

QString userField(int i) {
    return QStringLiteral("User Field %1").arg(i);
}
QString userFieldVisible(int i) {
    return QStringLiteral("User Field %1 visible").arg(i);
}

QWidget* dialogOwner() {
    return qobject_cast<QWidget*>(ctx().forms.loaded(form::Background));
}

// Seeks a collection's row in "Collection" by its number; false when there is none.
bool seekHead(qint16 intCollectionID) {
    Recordset& head = collectionStore().rsCollectionHead;
    if (head.isNull() || !head.isOpen()) raiseError(err::ObjectNotSet);
    useIndex(head, QStringLiteral("Primarykey"));
    head.Seek(QStringLiteral("="), intCollectionID);
    return !head.NoMatch();
}

} // namespace

bool CCollection::UDFvisible(int i) const {
    return m_visible[size_t(udfSlot(i))];
}
void CCollection::setUDFvisible(int i, bool visible) {
    m_visible[size_t(udfSlot(i))] = visible;
}
QString CCollection::UDFTitle(int i) const {
    return m_titles[size_t(udfSlot(i))];
}
void CCollection::setUDFTitle(int i, const QString& title) {
    m_titles[size_t(udfSlot(i))] = title;
}
bool CCollection::anyUDFvisible() const {
    for (bool v : m_visible)
        if (v) return true;
    return false;
}

bool CCollection::Item_Edit() {
    return guarded("Item_Edit", [&] {
        frmpropCollection dialog(dialogOwner());
        dialog.Accepted = false;
        dialog.IconDirty = false;
        dialog.txtName->setText(strTitle);
        dialog.setIconPicture(Collection_icon);
        for (int i = 1; i <= 5; ++i) {
            dialog.txtUDF[i]->setText(UDFTitle(i));
            dialog.chkUDF[i]->setChecked(UDFvisible(i));
        }
        if (!bRead_Data(dialog)) return false;
        if (ctx().services.dialogs)
            ctx().services.dialogs->exec(dialog);
        else
            dialog.exec();
        if (!dialog.Accepted) return false;
        if (!bWrite_Back(dialog)) return false;
        // The row holds the new values: now the object and the search screen's menu.
        strTitle = dialog.txtName->text();
        if (dialog.IconDirty) Collection_icon = dialog.iconPicture();
        for (int i = 1; i <= 5; ++i) {
            setUDFTitle(i, dialog.txtUDF[i]->text());
            setUDFvisible(i, dialog.chkUDF[i]->isChecked());
        }
        if (ISearchLists* menu = collectionStore().searchLists)
            menu->setElement(intIconIndex, strTitle, intCollectionID);
        return true;
    });
}

bool CCollection::bRead_Data(frmpropCollection& dialog) {
    return guarded("bRead_Data", [&] {
        if (seekHead(intCollectionID))
            dialog.txtNotes->setPlainText(
                strCheckNull(collectionStore().rsCollectionHead.value(QStringLiteral("Notes"))));
        return true;
    });
}

bool CCollection::bWrite_Back(frmpropCollection& dialog) {
    Recordset& head = collectionStore().rsCollectionHead;
    const bool written = guarded("bWrite_Back", [&] {
        if (!seekHead(intCollectionID)) return false;
        // One Update stores the name, notes, fields and icon together, or nothing.
        head.Edit();
        head.setValue(QStringLiteral("Collection ID"), intCollectionID);
        head.setValue(QStringLiteral("Collection Name"), dialog.txtName->text());
        head.setValue(QStringLiteral("Notes"), varEmptytoNull(dialog.txtNotes->toPlainText()));
        if (dialog.IconDirty &&
            !bWrite_File_to_Fld(head, QStringLiteral("Collection Icon"), dialog.iconFile())) {
            head.CancelUpdate();
            return false;
        }
        for (int i = 1; i <= 5; ++i) {
            head.setValue(userField(i), varEmptytoNull(dialog.txtUDF[i]->text()));
            head.setValue(userFieldVisible(i), dialog.chkUDF[i]->isChecked());
        }
        head.Update();
        return true;
    });
    if (!written && !head.isNull() && head.isOpen() && head.EditMode() != dbEditNone)
        head.CancelUpdate();
    return written;
}

} // namespace kv
