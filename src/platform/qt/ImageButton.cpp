#include "platform/qt/ImageButton.h"

#include "platform/AppContext.h"

#include <QEvent>
#include <QMouseEvent>

namespace kv {

QPixmap resourcePicture(int number, const QWidget* forWidget) {
    IResources* resources = ctx().services.resources.get();
    if (!resources)
        return QPixmap();
    const qreal dpr = forWidget ? forWidget->devicePixelRatioF() : 1.0;
    return resources->picture(number, dpr);
}

ImageButton::ImageButton(int normalPicture, int pressedPicture, QWidget* parent)
    : QLabel(parent), m_normal(normalPicture), m_pressed(pressedPicture) {
    setCursor(Qt::PointingHandCursor);
    showNormal();
}

bool ImageButton::showPicture(int number) {
    m_shown = number;
    const QPixmap pixmap = resourcePicture(number, this);
    setPixmap(pixmap);
    if (!pixmap.isNull())
        resize(pixmap.deviceIndependentSize().toSize());
    return !pixmap.isNull();
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_down = true;
    showPressed();
    repaint();
    emit pressed();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    if (m_restoreOnRelease)
        showNormal();
    emit released();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void ImageButton::changeEvent(QEvent* event) {
    // Redraw from the vector source when the window moves to a screen of another density.
    if (event->type() == QEvent::ScreenChangeInternal)
        showPicture(m_shown);
    QLabel::changeEvent(event);
}

} // namespace kv
