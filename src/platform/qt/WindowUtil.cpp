#include "platform/qt/WindowUtil.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

void Center_Form(QWidget* window) {
    if (!window)
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

namespace {

class CentreOnce : public QObject {
public:
    explicit CentreOnce(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* window = static_cast<QWidget*>(watched);
            window->removeEventFilter(this);
            Center_Form(window);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void centreOnFirstShow(QWidget* window) {
    if (window)
        new CentreOnce(window);
}

} // namespace kv
