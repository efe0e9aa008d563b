#include "collections/CollectionStore.h"

#include "collections/NRCollections.h"
#include "collections/frmPropAlbum.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "db/TextRules.h"
#include "db/Transaction.h"
#include "catalogue/Catalogue.h"
#include "catalogue/RecordGuards.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "settings/ui/frmHelp.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace kv {

CollectionStoreState::CollectionStoreState() = default;
CollectionStoreState::~CollectionStoreState() = default;

CollectionStoreState& collectionStore() {
    return ctx().slot<CollectionStoreState>();
}

NRCollections& RCollections() {
    CollectionStoreState& s = collectionStore();
    if (!s.collections) {
        s.collections = std::make_unique<NRCollections>();
        s.collections->Refresh();
    }
    return *s.collections;
}

void useIndex(Recordset& rs, const QString& name) {
    if (rs.Index().compare(name, Qt::CaseInsensitive) != 0) rs.setIndex(name);
}

QString collectionKey(qint16 intCollectionID) {
    return QStringLiteral("R") + QString::number(intCollectionID);
}

namespace {

const QString kContents = QStringLiteral("Collection - Contents");

Recordset& openCursor(Recordset& rs) {
    if (rs.isNull() || !rs.isOpen()) raiseError(err::ObjectNotSet);
    return rs;
}
Recordset& head() {
    return openCursor(collectionStore().rsCollectionHead);
}
Recordset& details() {
    return openCursor(collectionStore().rsCollectionDetails);
}

bool seekItem(Recordset& rs, const QString& index, qint16 intCollectionID,
              const QString& strCatalogueNumber) {
    useIndex(rs, index);
    rs.Seek(QStringLiteral("="), intCollectionID, strCatalogueNumber);
    return !rs.NoMatch();
}

void contentsChanged() {
    if (ISearchLists* menu = collectionStore().searchLists) menu->contentsChanged();
}

QWidget* dialogOwner() {
    return qobject_cast<QWidget*>(ctx().forms.loaded(form::Background));
}

int runDialog(QDialog& dialog) {
    return ctx().services.dialogs ? ctx().services.dialogs->exec(dialog) : dialog.exec();
}

QListWidget* listOf(CollectionList which) {
    CollectionStoreState& s = collectionStore();
    return which == CollectionList::Screen ? s.screenList.data() : s.dialogList.data();
}

// The collection of a list's selected row, or nullptr when no row is selected.
CCollection* selectedCollection(QListWidget* list, int& row) {
    row = list ? list->currentRow() : -1;
    if (row < 0 || !list->item(row)) return nullptr;
    const qint16 id = qint16(list->item(row)->data(Qt::UserRole).toInt());
    return RCollections().item(collectionKey(id));
}

int rowOfCollection(QListWidget* list, qint16 intCollectionID) {
    for (int r = 0; list && r < list->count(); ++r)
        if (list->item(r)->data(Qt::UserRole).toInt() == intCollectionID) return r;
    return -1;
}

} // namespace

bool bOpenCollectionHead() {
    return guarded("bOpenCollectionHead", [&] {
        Recordset rs = dbCatalogue().OpenRecordset(QStringLiteral("Collection"), dbOpenTable);
        rs.setIndex(QStringLiteral("Primarykey"));
        collectionStore().rsCollectionHead = rs;
    });
}

bool bOpenCollectionDetails() {
    return guarded("bOpenCollectionDetails", [&] {
        Recordset rs = dbCatalogue().OpenRecordset(kContents, dbOpenTable);
        rs.setIndex(QStringLiteral("Album ID"));
        collectionStore().rsCollectionDetails = rs;
    });
}

bool bInit_RCollections() {
    return guarded("bInit_RCollections", [&] {
        if (!bOpenCollectionHead() || !bOpenCollectionDetails()) return false;
        auto list = std::make_unique<NRCollections>();
        if (!list->Refresh()) return false;
        collectionStore().collections = std::move(list);
        return RCollections().Count() >= 0;
    });
}

void CloseCollections() {
    CollectionStoreState& s = collectionStore();
    for (Recordset* rs : {&s.rsCollectionDetails, &s.rsCollectionHead}) {
        try {
            if (!rs->isNull() && rs->isOpen()) rs->Close();
        } catch (...) {
        }
        *rs = Recordset();
    }
    s.collections.reset();
}

bool bCollection_DB_AddNew(qint16& intCollectionID) {
    return guarded("bCollection_DB_AddNew", [&] {
        Recordset& rs = head();
        EditGuard guard(rs);
        useIndex(rs, QStringLiteral("Primarykey"));
        rs.MoveLast();
        const int highest = intCheckNull(rs.value(QStringLiteral("Collection ID")));
        // Collection numbers are 16-bit: past the last one there is no next number.
        if (highest >= 32767) raiseError(err::Overflow);
        const qint16 number = qint16(highest + 1);
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), number);
        rs.Update();
        intCollectionID = number;
    });
}

bool bCollection_DB_Delete(qint16 intCollectionID) {
    return guarded("bCollection_DB_Delete", [&] {
        Recordset& rs = head();
        // The items and the row go together: a collection never loses its items and stays.
        Transaction transaction(dbCatalogue());
        dbCatalogue().Execute(
            QStringLiteral("DELETE DISTINCTROW [Collection - Contents].*, [Collection - "
                           "Contents].[Collection ID]") +
                QStringLiteral(" From [Collection - Contents]") +
                QStringLiteral(" WHERE ((([Collection - Contents].[Collection ID])=") +
                QString::number(intCollectionID) + QStringLiteral("));"),
            dbFailOnError);
        useIndex(rs, QStringLiteral("Primarykey"));
        rs.Seek(QStringLiteral("="), intCollectionID);
        rs.Delete();
        transaction.commit();
    });
}

bool bCollection_Item_Add(qint16 intCollectionID, const TopicRecord& recording,
                          const ReleaseRecord& release) {
    bool duplicate = false;
    const bool added = guarded("bCollection_Item_Add", [&] {
        Recordset& rs = details();
        EditGuard guard(rs);
        rs.AddNew();
        rs.setValue(QStringLiteral("Collection ID"), intCollectionID);
        rs.setValue(QStringLiteral("Catalogue Number"), release.strCatalogueNumber);
        rs.setValue(QStringLiteral("Album ID"), recording.lngAlbumID);
        rs.setValue(QStringLiteral("Title"), recording.strTitle);
        rs.setValue(QStringLiteral("Artist"), varEmptytoNull(recording.strArtist));
        rs.setValue(QStringLiteral("Label"), varEmptytoNull(release.strLabel));
        rs.setValue(QStringLiteral("Medium"), varEmptytoNull(release.strMedium));
        rs.setValue(QStringLiteral("Release Date"), varEmptytoNull(release.strReleaseDate));
        rs.setValue(QStringLiteral("Deleted Date"), varEmptytoNull(release.strDeletedDate));
        rs.setValue(QStringLiteral("Deleted"), release.bDeleted);
        try {
            rs.Update();
        } catch (const VbError& e) {
            if (e.number() != err::DuplicateKey) throw;
            duplicate = true;
            return false;
        }
        return true;
    });
    if (duplicate) {
        ctx().messages().beep();
        ctx().messages().show(QStringLiteral("This recording is already in the collection"),
                              mb::OKOnly);
        return false;
    }
    if (!added) return false;
    if (!ctx().options.bQuickAdd &&
        !bCollection_Item_Edit(intCollectionID, release.strCatalogueNumber)) {
        guarded("bCollection_Item_Add", [&] {
            Recordset& rs = details();
            if (seekItem(rs, QStringLiteral("PrimaryKey"), intCollectionID,
                         release.strCatalogueNumber))
                rs.Delete();
        });
        return false;
    }
    contentsChanged();
    return true;
}

bool bCollection_Item_Edit(qint16 intCollectionID, const QString& strCatalogueNumber) {
    BusyScope busy;
    return guarded("bCollection_Item_Edit", [&] {
        Recordset& rs = details();
        if (!seekItem(rs, QStringLiteral("Primarykey"), intCollectionID, strCatalogueNumber)) {
            ctx().messages().show(QStringLiteral("No album selected to edit"),
                                  mb::OKOnly | mb::Exclamation);
            return false;
        }
        frmPropAlbum dialog(dialogOwner());
        dialog.Accepted = false;
        dialog.txtTitle->setText(strCheckNull(rs.value(QStringLiteral("Title"))));
        dialog.txtArtist->setText(strCheckNull(rs.value(QStringLiteral("Artist"))));
        dialog.txtCatNumber->setText(strCheckNull(rs.value(QStringLiteral("Catalogue Number"))));
        dialog.txtReleaseDate->setText(strCheckNull(rs.value(QStringLiteral("Release Date"))));
        dialog.txtMedium->setText(strCheckNull(rs.value(QStringLiteral("Medium"))));
        dialog.txtLabel->setText(strCheckNull(rs.value(QStringLiteral("Label"))));
        for (int i = 1; i <= 5; ++i)
            dialog.txtUDF[i]->setText(
                strCheckNull(rs.value(QStringLiteral("User Field %1").arg(i))));
        dialog.txtNotes->setPlainText(strCheckNull(rs.value(QStringLiteral("Notes"))));
        dialog.setThisCollection(collectionKey(intCollectionID));
        {
            PointerReleased normal;
            runDialog(dialog);
        }
        if (!dialog.Accepted) return false;
        // The cursor is shared: find the row again before writing to it.
        if (!seekItem(rs, QStringLiteral("Primarykey"), intCollectionID, strCatalogueNumber))
            raiseError(err::NoCurrentRecord);
        EditGuard guard(rs);
        rs.Edit();
        for (int i = 1; i <= 5; ++i)
            rs.setValue(QStringLiteral("User Field %1").arg(i),
                        varEmptytoNull(dialog.txtUDF[i]->text()));
        rs.setValue(QStringLiteral("Notes"), varEmptytoNull(dialog.txtNotes->toPlainText()));
        rs.Update();
        return true;
    });
}

bool bCollection_Item_Delete(qint16 intCollectionID, const QString& strCatalogueNumber) {
    BusyScope busy;
    const bool deleted = guarded("bCollection_Item_Delete", [&] {
        Recordset& rs = details();
        if (!seekItem(rs, QStringLiteral("PrimaryKey"), intCollectionID, strCatalogueNumber)) {
            ctx().messages().show(QStringLiteral("No matching record"),
                                  mb::OKOnly | mb::Exclamation);
            return false;
        }
        rs.Delete();
        return true;
    });
    if (deleted) contentsChanged();
    return deleted;
}

bool bCollection_DeleteFrom(qint16 intCollectionID, const QString& strCatalogueNumber,
                            const QString& strTitle) {
    return guarded("bCollection_DeleteFrom", [&] {
        if (ctx().options.bConfirmDelete) {
            QString question = QStringLiteral("Are you sure you want to remove '") + strTitle +
                               QStringLiteral("' from this collection '");
            if (const CCollection* c = RCollections().item(collectionKey(intCollectionID)))
                question += c->strTitle + QLatin1Char('\'');
            if (ctx().messages().show(question, mb::YesNo | mb::Question | mb::Default2) != mb::Yes)
                return false;
        }
        BusyScope busy;
        return bCollection_Item_Delete(intCollectionID, strCatalogueNumber);
    });
}

bool bCollection_Addto(qint16 intCollectionID, const TopicRecord& recording,
                       const ReleaseRecord& release) {
    BusyScope busy;
    return guarded("bCollection_Addto", [&] {
        // Nothing shown, or a recording without a release: nothing to add.
        if (release.strCatalogueNumber.isEmpty()) {
            ctx().messages().beep();
            ctx().messages().show(QStringLiteral("Please select a recording"),
                                  mb::OKOnly | mb::Exclamation);
            return false;
        }
        if (!bCollection_Item_Add(intCollectionID, recording, release)) return false;
        const CCollection* c = RCollections().item(collectionKey(intCollectionID));
        Show_Message(1, QStringLiteral("'") + recording.strTitle + QStringLiteral("'") +
                            QStringLiteral("\r\n") + QStringLiteral(" added to '") +
                            (c ? c->strTitle : QString()) + QStringLiteral("' collection"));
        return true;
    });
}

bool bCollections_List(const QString& strCatalogueNumber, bool& found,
                       QList<qint16>& collectionIDs) {
    found = false;
    collectionIDs = {0};
    return guarded("bCollections_List", [&] {
        Recordset& rs = details();
        useIndex(rs, QStringLiteral("Catalogue Number"));
        rs.Seek(QStringLiteral("="), strCatalogueNumber);
        if (rs.NoMatch()) return;
        // Room for 100 collections at a time, cut to the number found at the end.
        QList<qint16> ids(100);
        int count = 0;
        try {
            // The index compares without regard to case, and so does the scan.
            while (!rs.Eof() &&
                   db::compareNoCase(strCheckNull(rs.value(QStringLiteral("Catalogue Number"))),
                                     strCatalogueNumber) == 0) {
                if (count == ids.size()) ids.resize(count + 100);
                ids[count++] = intCheckNull(rs.value(QStringLiteral("Collection ID")));
                rs.MoveNext();
            }
        } catch (const VbError& e) {
            if (e.number() != err::NoCurrentRecord) throw;
        }
        ids.resize(count);
        found = true;
        collectionIDs = ids;
    });
}

void registerCollectionList(CollectionList which, QListWidget* list) {
    CollectionStoreState& s = collectionStore();
    (which == CollectionList::Screen ? s.screenList : s.dialogList) = list;
}

void registerSearchLists(ISearchLists* lists) {
    CollectionStoreState& s = collectionStore();
    s.searchLists = lists;
    if (!lists || !s.collections) return;
    lists->resetElements();
    for (const auto& c : s.collections->Items())
        lists->setElement(c->intIconIndex, c->strTitle, c->intCollectionID);
}

void CollectionLists_Add(const QString& key) {
    const CCollection* c = RCollections().item(key);
    if (!c) return;
    for (QListWidget* list : {listOf(CollectionList::Screen), listOf(CollectionList::Dialog)}) {
        if (!list) continue;
        auto* row = new QListWidgetItem(c->strTitle);
        row->setData(Qt::UserRole, int(c->intCollectionID));
        list->addItem(row);
    }
}

void CollectionLists_Delete(int row) {
    for (QListWidget* list : {listOf(CollectionList::Screen), listOf(CollectionList::Dialog)}) {
        if (!list || row < 0 || row >= list->count()) continue;
        if (list->currentRow() == row) list->setCurrentRow(0);
        delete list->takeItem(row);
    }
}

bool bCollection_New() {
    return guarded("bCollection_New", [&] {
        QString key;
        if (!RCollections().Add_Item(key)) return false;
        if (CCollection* c = RCollections().item(key); c && c->Item_Edit()) {
            CollectionLists_Add(key);
            return true;
        }
        // Cancelled (or not written): the new collection goes again.
        RCollections().Remove(key);
        return false;
    });
}

bool bCollection_Edit(CollectionList caller) {
    return guarded("bCollection_Edit", [&] {
        QListWidget* list = listOf(caller);
        int row = -1;
        CCollection* c = selectedCollection(list, row);
        if (!c || !c->Item_Edit()) return false;
        list->item(row)->setText(c->strTitle);
        QListWidget* other = listOf(caller == CollectionList::Screen ? CollectionList::Dialog
                                                                     : CollectionList::Screen);
        if (const int r = rowOfCollection(other, c->intCollectionID); r >= 0)
            other->item(r)->setText(c->strTitle);
        CollectionStoreState& s = collectionStore();
        if (s.screenList && s.screenCollectionChanged)
            s.screenCollectionChanged(c->intCollectionID);
        // A new icon shows on the search screen too.
        contentsChanged();
        return true;
    });
}

bool bCollection_Delete(CollectionList caller) {
    return guarded("bCollection_Delete", [&] {
        int row = -1;
        CCollection* c = selectedCollection(listOf(caller), row);
        if (!c) return false;
        if (c->bBuiltin) {
            auto name = [](const char* key) {
                const CCollection* b = RCollections().item(QString::fromLatin1(key));
                return b ? b->strTitle : QString();
            };
            ctx().messages().show(QStringLiteral("You cannot delete the collections '") +
                                      name("R0") + QStringLiteral("' or '") + name("R1") +
                                      QStringLiteral("'") + QStringLiteral("\r") +
                                      QStringLiteral(" they are built in to the program"),
                                  mb::OKOnly | mb::Exclamation);
            return false;
        }
        if (ctx().messages().show(
                QStringLiteral("Are you sure you want to delete the collection '") + c->strTitle +
                    QStringLiteral("'"),
                mb::YesNo | mb::Question | mb::Default2) != mb::Yes)
            return false;
        // The on-screen lists follow only a deletion that happened.
        if (!RCollections().Remove(c->CollectionID)) return false;
        CollectionLists_Delete(row);
        return true;
    });
}

} // namespace kv
