#include "collections/SearchCollections.h"

#include "collections/CollectionIcon.h"
#include "collections/NRCollections.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/ui/frmHelp.h"

#include <QAction>
#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace kv {

namespace {
const char* const kCollectionProperty = "CollectionID";
}

SearchCollections::SearchCollections(const Widgets& widgets, ShownRelease shown, QObject* parent)
    : QObject(parent), m_w(widgets), m_shown(std::move(shown)) {
    if (m_w.mnuPopupRemove)
        connect(m_w.mnuPopupRemove, &QAction::triggered, this,
                &SearchCollections::mnuPopupRemove_Click);
    if (m_w.mnuPopupProp)
        connect(m_w.mnuPopupProp, &QAction::triggered, this,
                &SearchCollections::mnuPopupProp_Click);
    if (m_w.picCollections && !m_w.picCollections->layout()) {
        auto* row = new QHBoxLayout(m_w.picCollections);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(4);
        row->addStretch(1);
    }
    registerSearchLists(this);
}

SearchCollections::~SearchCollections() {
    if (collectionStore().searchLists == this) registerSearchLists(nullptr);
    if (m_tipShown) Show_Tip(QString());
}

void SearchCollections::resetElements() {
    for (QAction* a : std::as_const(m_elements)) {
        if (m_w.mnuPopup2Node) m_w.mnuPopup2Node->removeAction(a);
        delete a;
    }
    m_elements.clear();
}

void SearchCollections::setElement(int intIconIndex, const QString& caption,
                                   qint16 intCollectionID) {
    QAction* element = m_elements.value(intIconIndex, nullptr);
    if (!element) {
        element = new QAction(this);
        element->setObjectName(QStringLiteral("mnuPop2Collection_%1").arg(intIconIndex));
        connect(element, &QAction::triggered, this,
                [this, element] { bCollection_Addto(qint16(element->data().toInt())); });
        // Elements stand in the menu in the order of their indexes.
        const auto next = m_elements.upperBound(intIconIndex);
        if (m_w.mnuPopup2Node)
            m_w.mnuPopup2Node->insertAction(next == m_elements.end() ? nullptr : next.value(),
                                            element);
        m_elements.insert(intIconIndex, element);
    }
    // A name with "&" shows as written, not as a shortcut.
    element->setText(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
    element->setData(int(intCollectionID));
}

void SearchCollections::removeElement(int intIconIndex) {
    QAction* element = m_elements.take(intIconIndex);
    if (!element) return;
    if (m_w.mnuPopup2Node) m_w.mnuPopup2Node->removeAction(element);
    delete element;
}

void SearchCollections::contentsChanged() {
    bCollections_Show();
}

bool SearchCollections::imgWant_it_Click() {
    return bCollection_Addto(1);
}

void SearchCollections::imgGot_it_MouseUp(const QPoint& globalPos) {
    if (m_w.mnuPopup2Node) m_w.mnuPopup2Node->popup(globalPos);
}

bool SearchCollections::bCollection_Addto(qint16 intCollectionID) {
    TopicRecord recording;
    ReleaseRecord release;
    if (!m_shown || !m_shown(recording, release)) release = ReleaseRecord();
    return kv::bCollection_Addto(intCollectionID, recording, release);
}

void SearchCollections::clearIcons() {
    // Later, not now: the icon may be in the middle of handling an event.
    for (QLabel* icon : std::as_const(m_icons)) {
        icon->hide();
        icon->removeEventFilter(this);
        icon->deleteLater();
    }
    m_icons.clear();
    if (m_tipShown) {
        Show_Tip(QString());
        m_tipShown = false;
    }
}

bool SearchCollections::bCollections_Show() {
    clearIcons();
    TopicRecord recording;
    ReleaseRecord release;
    if (!m_w.picCollections || !m_shown || !m_shown(recording, release) ||
        release.strCatalogueNumber.isEmpty())
        return true;
    bool found = false;
    QList<qint16> ids;
    if (!bCollections_List(release.strCatalogueNumber, found, ids)) return false;
    if (!found) return true;
    auto* layout = qobject_cast<QBoxLayout*>(m_w.picCollections->layout());
    for (qint16 id : std::as_const(ids)) {
        const CCollection* c = RCollections().item(collectionKey(id));
        if (!c) continue;
        auto* icon = new QLabel(m_w.picCollections);
        icon->setObjectName(QStringLiteral("imgCollection_%1").arg(id));
        icon->setFixedSize(kIconSide, kIconSide);
        icon->setAlignment(Qt::AlignCenter);
        icon->setProperty(kCollectionProperty, int(id));
        icon->setPixmap(c->Collection_icon.isNull()
                            ? collectionBadge(c->strTitle, kIconSide)
                            : c->Collection_icon.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation));
        icon->setAccessibleName(c->strTitle);
        icon->setAccessibleDescription(QStringLiteral("Holds this release; the menu key removes it or shows it"));
        // Tab reaches the icon, and the menu key opens its menu as a right click does.
        icon->setFocusPolicy(Qt::TabFocus);
        icon->setMouseTracking(true);
        icon->installEventFilter(this);
        if (layout) layout->addWidget(icon);
        icon->show();
        m_icons.append(icon);
    }
    return true;
}

bool SearchCollections::eventFilter(QObject* watched, QEvent* event) {
    auto* icon = qobject_cast<QLabel*>(watched);
    if (!icon || !m_icons.contains(icon)) return QObject::eventFilter(watched, event);
    const qint16 id = qint16(icon->property(kCollectionProperty).toInt());
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (ctx().options.bCollectionTips && !m_tipShown) {
            if (const CCollection* c = RCollections().item(collectionKey(id))) {
                Show_Tip(c->strTitle);
                m_tipShown = true;
            }
        }
        break;
    case QEvent::Leave:
        if (m_tipShown) {
            Show_Tip(QString());
            m_tipShown = false;
        }
        break;
    case QEvent::ContextMenu:
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard && m_w.mnuPopup1Node) {
            m_iconCollection = id;
            m_w.mnuPopup1Node->popup(icon->mapToGlobal(QPoint(0, icon->height())));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && m_w.mnuPopup1Node) {
            m_iconCollection = id;
            m_w.mnuPopup1Node->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SearchCollections::mnuPopupRemove_Click() {
    TopicRecord recording;
    ReleaseRecord release;
    if (m_iconCollection < 0 || !m_shown || !m_shown(recording, release)) return;
    kv::bCollection_DeleteFrom(m_iconCollection, release.strCatalogueNumber, recording.strTitle);
}

void SearchCollections::mnuPopupProp_Click() {
    TopicRecord recording;
    ReleaseRecord release;
    if (m_iconCollection < 0 || !m_shown || !m_shown(recording, release)) return;
    kv::bCollection_Item_Edit(m_iconCollection, release.strCatalogueNumber);
}

} // namespace kv
