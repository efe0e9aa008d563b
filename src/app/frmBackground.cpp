#include "app/frmBackground.h"

#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QSessionManager>

namespace kv {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kLayoutWidth = 640;
constexpr int kLayoutHeight = 464;
// The classic 16-colour palette entries the title labels use.
const QColor kPaletteWhite(255, 255, 255); // 15
const QColor kPaletteLightGrey(192, 192, 192); // 7
} // namespace

frmBackground::frmBackground(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmBackground"));
    setWindowTitle(QStringLiteral("Korvanda"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    const int base = ctx().constants.lngResourceBase;

    lbltop = new QLabel(QStringLiteral("Search"), this);
    lbltop->setObjectName(QStringLiteral("lbltop"));
    lbltop->setGeometry(20, 6, 300, 16);
    QFont small = lbltop->font();
    small.setPointSizeF(8);
    small.setCapitalization(QFont::AllUppercase);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    lbltop->setFont(small);

    lblScreen = new QLabel(QStringLiteral("Search"), this);
    lblScreen->setObjectName(QStringLiteral("lblScreen"));
    lblScreen->setGeometry(20, 20, 420, 32);
    QFont title = lblScreen->font();
    title.setPointSizeF(17);
    title.setBold(true);
    lblScreen->setFont(title);

    QPalette top = lbltop->palette();
    top.setColor(QPalette::WindowText, kPaletteLightGrey);
    lbltop->setPalette(top);
    QPalette screen = lblScreen->palette();
    screen.setColor(QPalette::WindowText, kPaletteWhite);
    lblScreen->setPalette(screen);

    imgClose = new ImageButton(base + 1010, base + 1012, this);
    imgClose->setObjectName(QStringLiteral("imgClose"));
    imgClose->setToolTip(QStringLiteral("Exit"));
    // Its normal picture comes back only when the exit is cancelled.
    imgClose->setRestoreOnRelease(false);
    imgClose->move(kLayoutWidth - 16 - 32, 14);
    connect(imgClose, &ImageButton::clicked, this, &QWidget::close);

    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        m_sessionEnding = true;
        close();
    });

    Hide_Me();
}

void frmBackground::Show_me() {
    if (ctx().constants.intLayoutClass == 0)
        setFixedSize(kLayoutWidth, kLayoutHeight);
    show();
}

void frmBackground::Hide_Me() { move(20000 / kTwipsPerPixel, 20000 / kTwipsPerPixel); }

bool frmBackground::QueryUnload(UnloadMode mode) {
    if (mode == UnloadMode::SessionEnding)
        return true;
    AppContext& a = ctx();
    const int answer = a.messages().show(QStringLiteral("Do you wish to exit Korvanda ?"),
                                         mb::YesNo | mb::Question);
    if (answer == mb::Yes) {
        a.busy().setBusy();
        a.frmActive = nullptr;
        unloadOtherWindows();
        return true;
    }
    imgClose->showPicture(a.constants.lngResourceBase + 1010);
    return false;
}

void frmBackground::unloadOtherWindows() {
    FormRegistry& forms = ctx().forms;
    for (const char* name : {"frmSearch", "frmCollection", "frmShopping", "frmSplash", "frmSwitchBoard"})
        forms.unload(QString::fromLatin1(name));
    for (const QString& name : forms.loadedNames())
        if (name != QLatin1String("frmBackground"))
            forms.unload(name);
}

void frmBackground::Form_Unload() {
    AppContext& a = ctx();
    unloadOtherWindows();
    for (const auto& step : a.shutdownSteps)
        if (step.second)
            step.second();
    if (a.services.help)
        a.services.help->quit();
    a.busy().reset();
    QCoreApplication::quit();
}

void frmBackground::closeEvent(QCloseEvent* event) {
    if (m_exiting) {
        event->accept();
        return;
    }
    if (!QueryUnload(m_sessionEnding ? UnloadMode::SessionEnding : UnloadMode::ControlMenu)) {
        event->ignore();
        return;
    }
    m_exiting = true;
    Form_Unload();
    event->accept();
}

void frmBackground::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0x1d, 0x21, 0x30));
    g.setColorAt(1, QColor(0x0f, 0x11, 0x18));
    p.fillRect(rect(), g);
    const QRect area = ctx().constants.rectScreenArea;
    if (area.isValid()) {
        p.setPen(QColor(0xe8, 0xa3, 0x3d, 110));
        p.drawRect(area.adjusted(-1, -1, 0, 0));
    }
}

} // namespace kv
