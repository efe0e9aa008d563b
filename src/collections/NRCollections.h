#pragma once

#include "collections/CCollection.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace kv {

// The keyed list of all collections, in "Collection ID" order as loaded, keyed by
// CollectionID ("R" + number).
class NRCollections {
public:
    NRCollections() = default;
    NRCollections(const NRCollections&) = delete;
    NRCollections& operator=(const NRCollections&) = delete;

    // Creates a collection (row first, then the list and the search screen's menu) and
    // returns its key; on failure "Add Failed" is shown and the key is empty.
    bool Add_Item(QString& key);
    // nullptr when the key is not in the list.
    CCollection* item(const QString& key) const;
    const std::vector<std::unique_ptr<CCollection>>& Items() const { return m_items; }
    int Count() const { return int(m_items.size()); }
    // Loads the list again from "Collection"; on failure the list stays as it was.
    bool Refresh();
    // Deletes the collection (its items and row), then drops it from the menu and the list.
    bool Remove(const QString& key);

    // The position of a key in the list, or -1.
    int indexOf(const QString& key) const;

private:
    void SearchLists_Add(const CCollection& collection);
    void SearchLists_Delete(const CCollection& collection);
    void rebuildIndex();

    std::vector<std::unique_ptr<CCollection>> m_items;
    QHash<QString, CCollection*> m_byKey;
};

} // namespace kv
