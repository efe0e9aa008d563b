#include "app/ScreenWindow.h"

#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

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

void ScreenWindow::Check_Resolution() {
    // The smallest desktop (logical pixels) the layouts are drawn for.
    constexpr int kSmallestWidth = 640;
    constexpr int kSmallestHeight = 480;
    const Constants& c = ctx().constants;
    QSize desktop(c.intScreenWidth, c.intScreenHeight);
    if (desktop.isEmpty() && QGuiApplication::primaryScreen())
        desktop = QGuiApplication::primaryScreen()->geometry().size();
    if (!desktop.isEmpty() && (desktop.width() < kSmallestWidth || desktop.height() < kSmallestHeight)) {
        ctx().messages().beep();
        ctx().messages().show(QStringLiteral("Resolution not catered for"), mb::OKOnly | mb::Exclamation);
    }
}

void ScreenWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1a, 0x1d, 0x29));
}

} // namespace kv
