#include "app/ScreenWindow.h"

#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QPainter>

namespace kv {

ScreenWindow::ScreenWindow(const QString& name)
    : QWidget(qobject_cast<QWidget*>(ctx().forms.load(form::Background))) {
    setObjectName(name);
    // A child of the background window with no caption of its own, at the screen area.
    setGeometry(ctx().constants.rectScreenArea);
    setAutoFillBackground(false);
    hide();
}

void ScreenWindow::Show_me() {
    show();
    raise();
}

void ScreenWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1a, 0x1d, 0x29));
}

} // namespace kv
