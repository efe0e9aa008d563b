#include "app/ScreenStyle.h"

#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/WindowUtil.h"

#include <QFrame>

namespace kv {

namespace screenStyle {

const char* const Grid =
    "QTableView { background: #14161f; alternate-background-color: #171a24; color: #f4efe6;"
    "  border: 1px solid #2b3042; selection-background-color: #e8a33d; selection-color: #14161f;"
    "  outline: 0; }"
    "QTableView:focus { border: 1px solid #8a6a3a; }"
    "QTableView::item { padding-left: 4px; }"
    "QHeaderView::section { background: #2b3042; color: #b9b4a8; border: none;"
    "  padding: 2px 4px; font-weight: bold; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::handle:vertical:disabled { background: transparent; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"
    "QLabel { color: #a9a49b; }";

const char* const List =
    "QListWidget { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; outline: 0; }"
    "QListWidget::item { padding: 3px 6px; }"
    "QListWidget::item:selected { background: #e8a33d; color: #14161f; }";

const char* const Menu =
    "QMenu { background: #1d2130; color: #f4efe6; border: 1px solid #e8a33d; padding: 3px; }"
    "QMenu::item { padding: 3px 18px 3px 12px; }"
    "QMenu::item:selected { background: #e8a33d; color: #14161f; }"
    "QMenu::item:disabled { color: #6f6b66; }"
    "QMenu::separator { height: 1px; background: #3a3f52; margin: 3px 6px; }";

const char* const Panel =
    "QFrame { background: rgba(20, 22, 31, 150); border: 1px solid rgba(232, 163, 61, 60);"
    "  border-radius: 6px; }";

const char* const ScrollArea =
    "QScrollArea { background: transparent; border: none; }"
    "QScrollArea > QWidget > QWidget { background: transparent; }"
    "QScrollBar:vertical { background: #1d2130; width: 10px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #3a4058; min-height: 20px; border-radius: 4px; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }";

} // namespace screenStyle

QFrame* screenPanel(QWidget* parent, const char* name) {
    auto* frame = named(new QFrame(parent), QString::fromLatin1(name));
    frame->setStyleSheet(QString::fromLatin1(screenStyle::Panel));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

ImageButton* screenButton(QWidget* parent, const char* name, int normal, int pressed,
                          const QString& accessibleName, const QString& tip) {
    const int base = ctx().constants.lngResourceBase;
    auto* b = named(new ImageButton(base + normal, base + pressed, parent), QString::fromLatin1(name));
    b->setAccessibleName(accessibleName);
    b->setToolTip(tip);
    return b;
}

} // namespace kv
