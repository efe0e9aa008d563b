#include "collections/NRCollections.h"

#include "collections/CollectionIcon.h"
#include "collections/CollectionStore.h"
#include "core/ErrorReport.h"
#include "core/RecordHelpers.h"
#include "platform/AppContext.h"

#include <algorithm>

namespace kv {

CCollection* NRCollections::item(const QString& key) const {
    return m_byKey.value(key, nullptr);
}

int NRCollections::indexOf(const QString& key) const {
    for (size_t k = 0; k < m_items.size(); ++k)
        if (m_items[k]->CollectionID == key) return int(k);
    return -1;
}

void NRCollections::rebuildIndex() {
    m_byKey.clear();
    for (const auto& c : m_items)
        m_byKey.insert(c->CollectionID, c.get());
}

bool NRCollections::Refresh() {
    std::vector<std::unique_ptr<CCollection>> loaded;
    const bool ok = guarded("Refresh", [&] {
        Recordset& head = collectionStore().rsCollectionHead;
        if (head.isNull() || !head.isOpen()) raiseError(err::ObjectNotSet);
        head.setIndex(QStringLiteral("Primarykey"));
        if (head.Bof() && head.Eof()) return;
        head.MoveFirst();
        for (int i = 0; !head.Eof(); ++i) {
            auto c = std::make_unique<CCollection>();
            c->intCollectionID = intCheckNull(head.value(QStringLiteral("Collection ID")));
            c->CollectionID = collectionKey(c->intCollectionID);
            c->strTitle = strCheckNull(head.value(QStringLiteral("Collection Name")));
            c->bBuiltin = bCheckNull(head.value(QStringLiteral("Builtin")));
            for (int u = 1; u <= 5; ++u) {
                c->setUDFTitle(u, strCheckNull(head.value(QStringLiteral("User Field %1").arg(u))));
                c->setUDFvisible(
                    u, bCheckNull(head.value(QStringLiteral("User Field %1 visible").arg(u))));
            }
            c->intIconIndex = i;
            // A damaged icon costs the collection its picture, never the collection.
            loadIconField(head.Fields(QStringLiteral("Collection Icon")), c->Collection_icon);
            loaded.push_back(std::move(c));
            head.MoveNext();
        }
    });
    if (!ok) return false;
    m_items = std::move(loaded);
    rebuildIndex();
    if (ISearchLists* menu = collectionStore().searchLists) {
        menu->resetElements();
        for (const auto& c : m_items)
            SearchLists_Add(*c);
    }
    return true;
}

bool NRCollections::Add_Item(QString& key) {
    key.clear();
    qint16 number = 0;
    if (!bCollection_DB_AddNew(number)) {
        ctx().messages().show(QStringLiteral("Add Failed"), mb::OKOnly | mb::Exclamation);
        return false;
    }
    auto c = std::make_unique<CCollection>();
    c->CollectionID = collectionKey(number);
    c->bBuiltin = false;
    // One past the highest element in use: after a deletion the count may name an element
    // that still exists.
    int next = 0;
    for (const auto& existing : m_items)
        next = std::max(next, existing->intIconIndex + 1);
    c->intIconIndex = next;
    c->intCollectionID = number;
    CCollection& added = *c;
    m_items.push_back(std::move(c));
    m_byKey.insert(added.CollectionID, &added);
    SearchLists_Add(added);
    key = added.CollectionID;
    return true;
}

bool NRCollections::Remove(const QString& key) {
    CCollection* c = item(key);
    // The built-in collections are never deleted, whoever asks.
    if (!c || c->bBuiltin) return false;
    if (!bCollection_DB_Delete(c->intCollectionID)) return false;
    SearchLists_Delete(*c);
    const int position = indexOf(key);
    m_byKey.remove(key);
    m_items.erase(m_items.begin() + position);
    if (ISearchLists* menu = collectionStore().searchLists) menu->contentsChanged();
    return true;
}

void NRCollections::SearchLists_Add(const CCollection& collection) {
    guarded("SearchLists_Add", [&] {
        if (ISearchLists* menu = collectionStore().searchLists)
            menu->setElement(collection.intIconIndex, collection.strTitle,
                             collection.intCollectionID);
    });
}

void NRCollections::SearchLists_Delete(const CCollection& collection) {
    guarded("SearchLists_Delete", [&] {
        if (ISearchLists* menu = collectionStore().searchLists)
            menu->removeElement(collection.intIconIndex);
    });
}

} // namespace kv
