#include "platform/qt/ImageButton.h"

#include "platform/AppContext.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace kv {

namespace {

// What a screen reader sees of an image button: a push button it can press. A label
// (which the button is underneath) would be read as a picture with no action at all.
class ImageButtonAccessible : public QAccessibleWidget {
public:
    explicit ImageButtonAccessible(ImageButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    ImageButton* button() const { return static_cast<ImageButton*>(widget()); }

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        // Buttons drawn as pictures often carry their purpose only in the tool tip.
        if (text.isEmpty() && (t == QAccessible::Name || t == QAccessible::Description))
            text = button()->toolTip();
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        return s;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (button()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            if (button()->isEnabled())
                button()->animateClick();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        if (actionName == pressAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }
};

QAccessibleInterface* imageButtonAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ImageButton::staticMetaObject.className()))
        if (auto* button = qobject_cast<ImageButton*>(object))
            return new ImageButtonAccessible(button);
    return nullptr;
}

bool isPressKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select;
}

} // namespace

QPixmap resourcePicture(int number, const QWidget* forWidget) {
    IResources* resources = ctx().services.resources.get();
    if (!resources)
        return QPixmap();
    const qreal dpr = forWidget ? forWidget->devicePixelRatioF() : 1.0;
    return resources->picture(number, dpr);
}

ImageButton::ImageButton(int normalPicture, int pressedPicture, QWidget* parent)
    : QLabel(parent), m_normal(normalPicture), m_pressed(pressedPicture) {
    static const bool factoryInstalled = (QAccessible::installFactory(imageButtonAccessible), true);
    Q_UNUSED(factoryInstalled);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
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

void ImageButton::press() {
    m_down = true;
    showPressed();
    repaint();
    emit pressed();
}

void ImageButton::release(bool inside) {
    m_down = false;
    if (m_restoreOnRelease)
        showNormal();
    emit released();
    if (inside)
        emit clicked();
}

void ImageButton::click() {
    if (!m_down)
        press();
    release(true);
}

void ImageButton::animateClick() {
    if (m_down)
        return;
    press();
    // As long as a push button's animated click, so the pressed picture is seen.
    QTimer::singleShot(100, this, [this] {
        if (m_down)
            release(true);
    });
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    press();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    release(rect().contains(event->position().toPoint()));
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    // The keypad's Enter carries the keypad modifier; any other modifier makes another key.
    if (!isPressKey(event->key()) || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Space works as a push button's does: down on press, a click on release. Enter
    // clicks at once, as it has no release of its own on every keyboard.
    if (event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat() && !m_down)
            press();
    } else if (!event->isAutoRepeat()) {
        click();
    }
    event->accept();
}

void ImageButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_down) {
        release(true);
        event->accept();
        return;
    }
    QLabel::keyReleaseEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent* event) {
    // A space bar held while the focus moves away is no click.
    if (m_down)
        release(false);
    QLabel::focusOutEvent(event);
}

void ImageButton::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The keyboard focus as a ring in the program's accent colour; the pictures have no
    // focused form of their own.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xe8, 0xa3, 0x3d), 1.5, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
}

void ImageButton::changeEvent(QEvent* event) {
    // Redraw from the vector source when the window moves to a screen of another density.
    if (event->type() == QEvent::ScreenChangeInternal)
        showPicture(m_shown);
    QLabel::changeEvent(event);
}

} // namespace kv
