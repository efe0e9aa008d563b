#pragma once

#include "collections/CollectionStore.h"
#include "titles/TopicData.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace kv {

// The collections' part of the search screen: the got-it menu (one element per collection,
// kept in step by the store), the want-it and got-it adds, the icons of the collections that
// hold the shown release with their names as tips, and the icons' pop-up menu (remove the
// release from that collection, or edit its item). The screen creates one when it loads,
// hands it its widgets and connects its buttons; destroying it unregisters it.
class SearchCollections : public QObject, public ISearchLists {
    Q_OBJECT
public:
    // What the screen shows now; false while no recording with a release is shown.
    using ShownRelease = std::function<bool(TopicRecord& recording, ReleaseRecord& release)>;

    struct Widgets {
        QMenu* mnuPopup2Node = nullptr;    // the got-it menu, filled here
        QWidget* picCollections = nullptr; // where the icons go (its box layout, or a new one)
        QMenu* mnuPopup1Node = nullptr;    // the icons' pop-up menu
        QAction* mnuPopupRemove = nullptr;
        QAction* mnuPopupProp = nullptr;
    };

    SearchCollections(const Widgets& widgets, ShownRelease shown, QObject* parent = nullptr);
    ~SearchCollections() override;

    // imgWant_it click: the shown release into collection 1, the shopping list.
    bool imgWant_it_Click();
    // imgGot_it mouse up: the got-it menu at that point.
    void imgGot_it_MouseUp(const QPoint& globalPos);
    // The shown release into a collection; the icons follow.
    bool bCollection_Addto(qint16 intCollectionID);
    // The icons of the collections that hold the shown release (none while nothing is
    // shown). Run it whenever the shown release changes.
    bool bCollections_Show();

    // The got-it menu's elements in element order, and the icons now shown.
    QList<QAction*> mnuPop2Collection() const { return m_elements.values(); }
    QList<QLabel*> collectionIcons() const { return m_icons; }
    // The collection whose icon opened the icons' pop-up menu.
    qint16 iconMenuCollection() const { return m_iconCollection; }

    static constexpr int kIconSide = 24;

    // ISearchLists.
    void resetElements() override;
    void setElement(int intIconIndex, const QString& caption, qint16 intCollectionID) override;
    void removeElement(int intIconIndex) override;
    void contentsChanged() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mnuPopupRemove_Click();
    void mnuPopupProp_Click();
    void clearIcons();

    Widgets m_w;
    ShownRelease m_shown;
    QMap<int, QAction*> m_elements;
    QList<QLabel*> m_icons;
    qint16 m_iconCollection = -1;
    bool m_tipShown = false;
};

} // namespace kv
