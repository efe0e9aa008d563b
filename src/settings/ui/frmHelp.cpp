#include "settings/ui/frmHelp.h"

#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/WindowUtil.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace kv {

namespace {

// The widest a message may grow before it wraps; keeps a long text on the screen.
int maxTextWidth(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    return std::max(200, screenWidth * 2 / 3);
}

} // namespace

frmHelp::frmHelp(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName(form::Message);
    setWindowTitle(QStringLiteral("Form1"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setForegroundRole(QPalette::ToolTipText);
    Label1->move(2, 1);
}

frmHelp* frmHelp::instance() {
    FormRegistry& forms = ctx().forms;
    if (!forms.hasFactory(form::Message)) forms.registerFactory(form::Message, [] { return new frmHelp; });
    return forms.get<frmHelp>(form::Message);
}

void frmHelp::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmHelp::setMessage(const QString& text, int pointSize) {
    ++m_shown;
    QFont font = Label1->font();
    font.setPointSize(pointSize);
    Label1->setFont(font);
    Label1->setText(text);
    const QFontMetrics metrics(font);
    const QRect needed = metrics.boundingRect(QRect(0, 0, maxTextWidth(this), 1 << 20),
                                              Qt::AlignCenter | Qt::TextWordWrap, text);
    const QSize label(needed.width() + 8, needed.height() + 6);
    Label1->resize(label);
    resize(label.width() + 4, label.height() + 2);
}

namespace {

// The message window centred and in front with the text in the message size.
QPointer<frmHelp> showMessage(const QString& text) {
    QPointer<frmHelp> window = frmHelp::instance();
    if (!window) return window;
    window->hide();
    window->setMessage(text, frmHelp::kMessagePointSize);
    Center_Form(window);
    window->show();
    window->raise();
    return window;
}

// Hidden again, back at the tips' size.
void hideMessage(frmHelp* window) {
    window->hide();
    QFont font = window->Label1->font();
    font.setPointSize(frmHelp::kNormalPointSize);
    window->Label1->setFont(font);
}

} // namespace

void Show_Message(double seconds, const QString& text) {
    QPointer<frmHelp> window = showMessage(text);
    if (!window) return;
    Pause(float(seconds));
    // The program may have closed the window while it waited.
    if (window) hideMessage(window);
}

void Show_Notice(double seconds, const QString& text) {
    QPointer<frmHelp> window = showMessage(text);
    if (!window) return;
    const quint64 mine = window->shown();
    QTimer::singleShot(int(seconds * 1000), window, [window, mine] {
        if (window && window->shown() == mine) hideMessage(window);
    });
}

void Show_Tip(const QString& text) {
    QPointer<frmHelp> window = frmHelp::instance();
    if (!window) return;
    if (text.isEmpty()) {
        window->hide();
        return;
    }
    window->setMessage(text, frmHelp::kNormalPointSize);
    // Below and right of the pointer, kept on the screen.
    QPoint at = QCursor::pos() + QPoint(12, 18);
    if (const QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        const QRect area = screen->availableGeometry();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - window->width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - window->height())));
    }
    window->move(at);
    window->show();
    window->raise();
}

} // namespace kv
