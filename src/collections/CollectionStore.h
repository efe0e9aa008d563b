#pragma once

// The collection store: the two table cursors on "Collection" and "Collection - Contents",
// the one collection list RCollections, and every operation that changes them. Each
// operation changes the table first and the in-memory list and the on-screen lists only
// when the table change succeeded.

#include "db/Recordset.h"
#include "titles/TopicData.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class QListWidget;

namespace kv {

class NRCollections;

// The two lists of collections shown on screen: the collection screen's lstCollection and
// the collections dialog's LstCollections. Both are filled from RCollections in list
// order, one row per collection, the collection number as the row's Qt::UserRole data.
enum class CollectionList { Screen, Dialog };

// What the store keeps in step on the search screen: the got-it menu, one element per
// collection identified by the collection's intIconIndex, and the icons of the
// collections that hold the shown release.
class ISearchLists {
public:
    virtual ~ISearchLists() = default;
    // Drops every element (the list is about to be loaded again).
    virtual void resetElements() = 0;
    // Creates the element when it does not exist; sets its caption and collection number.
    virtual void setElement(int intIconIndex, const QString& caption, qint16 intCollectionID) = 0;
    virtual void removeElement(int intIconIndex) = 0;
    // An item was added to or removed from some collection, or a collection went away.
    virtual void contentsChanged() = 0;
};

struct CollectionStoreState {
    CollectionStoreState();
    ~CollectionStoreState();

    Recordset rsCollectionHead;
    Recordset rsCollectionDetails;
    std::unique_ptr<NRCollections> collections;

    // Set while the screen or dialog is loaded (its "loaded" flag).
    QPointer<QListWidget> screenList;
    QPointer<QListWidget> dialogList;
    // The collection screen refreshes its heading and grid when it is showing the
    // collection whose properties changed.
    std::function<void(qint16 intCollectionID)> screenCollectionChanged;

    ISearchLists* searchLists = nullptr;
    // True while the item dialog is loaded.
    bool bItemDialogLoaded = false;
};

// Lives in ctx().slot, so every test starts without cursors and without a list.
CollectionStoreState& collectionStore();

// The one collection list, created (and loaded from "Collection") on first use.
NRCollections& RCollections();

// Start-up: bOpenCollectionHead, bOpenCollectionDetails, then the collection list.
bool bInit_RCollections();
// Table "Collection" as a table cursor, index "Primarykey".
bool bOpenCollectionHead();
// Table "Collection - Contents" as a table cursor, index "Album ID".
bool bOpenCollectionDetails();
// Shutdown: closes both cursors and drops the list (before the database closes).
void CloseCollections();

// Appends a "Collection" row numbered one above the highest and returns the number.
bool bCollection_DB_AddNew(qint16& intCollectionID);
// Deletes a collection's items and then its row, all or nothing.
bool bCollection_DB_Delete(qint16 intCollectionID);

// Adds the release of a recording to a collection. A release already in the collection
// gives "This recording is already in the collection" and false. With Quick Add off the
// item dialog opens; cancelling it removes the item again.
bool bCollection_Item_Add(qint16 intCollectionID, const TopicRecord& recording,
                          const ReleaseRecord& release);
// Opens the item dialog for one item and stores the user's own values.
bool bCollection_Item_Edit(qint16 intCollectionID, const QString& strCatalogueNumber);
bool bCollection_Item_Delete(qint16 intCollectionID, const QString& strCatalogueNumber);
// Asks (when Confirm Delete is on) and removes one item; the collection screen and the
// search screen use it.
bool bCollection_DeleteFrom(qint16 intCollectionID, const QString& strCatalogueNumber,
                            const QString& strTitle);
// The search screen's add: bCollection_Item_Add with the shown recording and release,
// then the one-second message naming the collection.
bool bCollection_Addto(qint16 intCollectionID, const TopicRecord& recording,
                       const ReleaseRecord& release);

// The collections that hold a release: found is false and the list is {0} when none
// does.
bool bCollections_List(const QString& strCatalogueNumber, bool& found,
                       QList<qint16>& collectionIDs);
// The catalogue number of the first item, in any collection, of a recording.
bool bReleases_FindFirst(qint32 lngAlbumID, QString& strCatalogueNumber);

// Managing collections from the two list screens.
bool bCollection_New();
bool bCollection_Edit(CollectionList caller);
bool bCollection_Delete(CollectionList caller);
void CollectionLists_Add(const QString& key);
void CollectionLists_Delete(int row);

// Registration of the screens the store keeps in step. A list is registered while its
// screen is loaded (filled from RCollections by the screen itself); null unregisters.
void registerCollectionList(CollectionList which, QListWidget* list);
void registerSearchLists(ISearchLists* lists);

// Makes an index current unless it already is (names compare without regard to case);
// choosing an index also moves to its first row, which a seek right after makes needless.
void useIndex(Recordset& rs, const QString& name);

// The key of a collection number: "R" followed by the number.
QString collectionKey(qint16 intCollectionID);

} // namespace kv
