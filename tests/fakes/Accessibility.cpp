#include "fakes/Accessibility.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>
#include <QWidget>

namespace kv::test {

namespace {

// Roles of the controls a person presses.
bool isPressRole(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonDropDown:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropGrid:
    case QAccessible::Link:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

// Roles of the controls a person operates: each needs a name of its own.
bool isOperable(QAccessible::Role role) {
    switch (role) {
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::ScrollBar:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
        return true;
    default:
        return isPressRole(role);
    }
}

// A widget that acts on a click, whatever it is drawn as.
bool reactsToClicks(const QWidget* w) {
    // A group box has the signal for its check box, which a plain one does not show.
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return group->isCheckable();
    const QMetaObject* meta = w->metaObject();
    return meta->indexOfSignal("clicked()") >= 0 || meta->indexOfSignal("clicked(bool)") >= 0;
}

bool isCompound(const QWidget* w) {
    return qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

// Whether a screen reader can meet the widget: shown, or on a page a tab would show.
bool reachable(const QWidget* w, const QWidget* root) {
    for (const QWidget* at = w; at && at != root; at = at->parentWidget()) {
        const bool page = qobject_cast<const QStackedWidget*>(at->parentWidget()) != nullptr;
        if (at->isHidden() && !page)
            return false;
    }
    return true;
}

// A part of a compound control below root (the compound itself is checked).
bool insideCompound(const QWidget* w, const QWidget* root) {
    for (const QWidget* at = w->parentWidget(); at && at != root; at = at->parentWidget())
        if (isCompound(at))
            return true;
    return root != w && isCompound(root) && root->isAncestorOf(w);
}

QString pathOf(const QWidget* w, const QWidget* root) {
    QStringList parts;
    for (const QWidget* at = w; at; at = at->parentWidget()) {
        parts.prepend(at->objectName().isEmpty() ? QString::fromLatin1(at->metaObject()->className())
                                                 : at->objectName());
        if (at == root)
            break;
    }
    return parts.join(u'/');
}

QString roleName(QAccessible::Role role) {
    return QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role));
}

struct Walk {
    QStringList faults;
    int checked = 0;
};

// Items that are not widgets (the tabs of a tab bar) are met through the interface tree.
void checkItems(QAccessibleInterface* iface, const QString& path, Walk& walk) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child || child->object() || child->role() != QAccessible::PageTab)
            continue;
        ++walk.checked;
        if (child->text(QAccessible::Name).trimmed().isEmpty())
            walk.faults << QStringLiteral("%1 tab %2: no name").arg(path).arg(i);
    }
}

void checkWidget(QWidget* w, QWidget* root, Walk& walk) {
    if (w != root && (w->window() != root->window() || !reachable(w, root) || insideCompound(w, root)))
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    const QString path = pathOf(w, root);
    const QString kind = QString::fromLatin1(w->metaObject()->className());
    if (!iface) {
        if (reactsToClicks(w))
            walk.faults << QStringLiteral("%1 (%2): not seen by a screen reader").arg(path, kind);
        return;
    }
    const QAccessible::Role role = iface->role();
    const bool pressable = reactsToClicks(w);
    if (role == QAccessible::PageTabList)
        checkItems(iface, path, walk);
    if (!pressable && !isOperable(role) && !iface->state().editable)
        return;
    ++walk.checked;
    if (iface->text(QAccessible::Name).trimmed().isEmpty())
        walk.faults << QStringLiteral("%1 (%2, %3): no name").arg(path, kind, roleName(role));
    if (!pressable)
        return;
    if (!isPressRole(role)) {
        walk.faults << QStringLiteral("%1 (%2): acts on a click but is shown as %3").arg(path, kind, roleName(role));
        return;
    }
    // A control that is disabled for now offers no action until it is enabled.
    QAccessibleActionInterface* actions = iface->actionInterface();
    const QStringList names = actions ? actions->actionNames() : QStringList();
    if (w->isEnabled() && !names.contains(QAccessibleActionInterface::pressAction()) &&
        !names.contains(QAccessibleActionInterface::toggleAction()) &&
        !names.contains(QAccessibleActionInterface::showMenuAction()))
        walk.faults << QStringLiteral("%1 (%2): cannot be pressed").arg(path, kind);
}

Walk walkOf(QWidget* root) {
    Walk walk;
    if (!root)
        return walk;
    checkWidget(root, root, walk);
    for (QWidget* w : root->findChildren<QWidget*>())
        checkWidget(w, root, walk);
    return walk;
}

} // namespace

QStringList accessibilityFaults(QWidget* root) {
    return walkOf(root).faults;
}

::testing::AssertionResult isAccessible(QWidget* root) {
    const Walk walk = walkOf(root);
    if (walk.checked == 0)
        return ::testing::AssertionFailure() << "no control was checked under "
                                             << (root ? root->objectName().toStdString() : "(none)");
    if (walk.faults.isEmpty())
        return ::testing::AssertionSuccess() << walk.checked << " controls checked";
    return ::testing::AssertionFailure() << walk.faults.size() << " of " << walk.checked << " controls:\n  "
                                         << walk.faults.join(QStringLiteral("\n  ")).toStdString();
}

QString accessibleNameOf(QWidget* control) {
    QAccessibleInterface* iface = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    return iface ? iface->text(QAccessible::Name) : QString();
}

::testing::AssertionResult pressAsScreenReader(QWidget* control) {
    QAccessibleInterface* iface = control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    const QString name = control ? control->objectName() : QStringLiteral("(none)");
    QAccessibleActionInterface* actions = iface ? iface->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return ::testing::AssertionFailure() << name.toStdString() << " cannot be pressed";
    actions->doAction(QAccessibleActionInterface::pressAction());
    // A button that shows its press releases a moment later, from the event loop.
    if (!QTest::qWaitFor([iface] { return !iface->state().pressed; }))
        return ::testing::AssertionFailure() << name.toStdString() << " stayed pressed";
    return ::testing::AssertionSuccess();
}

} // namespace kv::test
