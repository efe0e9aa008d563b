#include "app/frmBackground.h"

#include "app/Navigation.h"
#include "app/ScreenWindow.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "settings/FileLocations.h"
#include "settings/Help.h"
#include "settings/ui/frmHelp.h"
#include "settings/ui/frmPropApp.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSessionManager>

namespace kv {

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kLayoutWidth = 640;
constexpr int kLayoutHeight = 464;
// The classic 16-colour palette entries the title labels use.
const QColor kPaletteWhite(255, 255, 255);     // 15
const QColor kPaletteLightGrey(192, 192, 192); // 7

// The main window is a plain widget, which screen readers would take for a pane inside
// something else; as a window its title is spoken when it gains the focus.
QAccessibleInterface* mainWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(frmBackground::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

QLabel* framePicture(QWidget* parent, const char* name, int number, const QRect& at) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setPixmap(resourcePicture(number, parent));
    label->setScaledContents(true);
    label->setGeometry(at);
    return label;
}

} // namespace

frmBackground::frmBackground(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(mainWindowAccessible), true);
    Q_UNUSED(factoryInstalled);
    setObjectName(form::Background);
    setWindowTitle(QStringLiteral("Korvanda"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QPalette window = palette();
    window.setColor(QPalette::Window, QColor(0x14, 0x16, 0x1f));
    setPalette(window);
    setAutoFillBackground(true);

    const QRect area = ctx().constants.rectScreenArea.isValid() ? ctx().constants.rectScreenArea : QRect(16, 57, 600, 335);
    createFrame(area);
    createButtons();
    createTitles();
    placeControls(area);
    connectButtons();

    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        m_sessionEnding = true;
        close();
    });
    // The window sees the keys of its screens before they do.
    qApp->installEventFilter(this);

    Hide_Me();
}

void frmBackground::createFrame(const QRect& area) {
    const int base = ctx().constants.lngResourceBase;
    imgBGTop = framePicture(this, "imgBGTop", base + 1001, QRect(0, 0, kLayoutWidth, area.top()));
    imgBGBottom = framePicture(this, "imgBGBottom", base + 1002,
                               QRect(0, area.bottom() + 1, kLayoutWidth, kLayoutHeight - area.bottom() - 1));
    imgBGLeft = framePicture(this, "imgBGLeft", base + 1003, QRect(0, area.top(), area.left(), area.height()));
    imgBGRight = framePicture(this, "imgBGRight", base + 1004,
                              QRect(area.right() + 1, area.top(), kLayoutWidth - area.right() - 1, area.height()));

}

void frmBackground::createButtons() {
    const int base = ctx().constants.lngResourceBase;
    // Each button: its control name, what a screen reader calls it, and its tip (with the
    // key that does the same).
    const auto button = [&](const char* name, int normal, int pressed, const QString& accessibleName,
                            const QString& tip) {
        auto* b = new ImageButton(base + normal, base + pressed, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(accessibleName);
        b->setToolTip(tip);
        return b;
    };
    imgVivo = button("imgVivo", 6000, 6010, QStringLiteral("Intro movie"), QStringLiteral("Play the intro movie"));
    imgOptions = button("imgOptions", 1042, 1044, QStringLiteral("Options"), QStringLiteral("Options"));
    imgabout = button("imgabout", 1038, 1040, QStringLiteral("About Korvanda"), QStringLiteral("About Korvanda"));
    imgBack = button("imgBack", 1018, 1020, QStringLiteral("Back"), QStringLiteral("Back (Esc)"));
    imgSearch = button("imgSearch", 1021, 1024, QStringLiteral("Search"), QStringLiteral("Search the catalogue (F5)"));
    imgCollection =
        button("imgCollection", 1026, 1028, QStringLiteral("Collections"), QStringLiteral("Your collections (F6)"));
    imgShopping = button("imgShopping", 1030, 1032, QStringLiteral("Shopping"), QStringLiteral("Shopping (F7)"));
    imgConnections =
        button("imgConnections", 1034, 1036, QStringLiteral("Connections"), QStringLiteral("Connections (F8)"));
    imgClose = button("imgClose", 1010, 1012, QStringLiteral("Exit"), QStringLiteral("Exit Korvanda"));
    imgHelp = button("imgHelp", 1014, 1016, QStringLiteral("Help"), QStringLiteral("Help (F1)"));
    // Close keeps its pressed picture until the exit is cancelled.
    imgClose->setRestoreOnRelease(false);
}

void frmBackground::createTitles() {
    lbltop = new QLabel(QStringLiteral("Search"), this);
    lbltop->setObjectName(QStringLiteral("lbltop"));
    lblScreen = new QLabel(QStringLiteral("Search"), this);
    lblScreen->setObjectName(QStringLiteral("lblScreen"));
    QFont small = font();
    small.setPointSizeF(7.5);
    small.setCapitalization(QFont::AllUppercase);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    lbltop->setFont(small);
    QFont title = font();
    title.setPointSizeF(16);
    title.setBold(true);
    lblScreen->setFont(title);
    QPalette top = lbltop->palette();
    top.setColor(QPalette::WindowText, kPaletteLightGrey);
    lbltop->setPalette(top);
    QPalette screen = lblScreen->palette();
    screen.setColor(QPalette::WindowText, kPaletteWhite);
    lblScreen->setPalette(screen);
}

void frmBackground::placeControls(const QRect& area) {
    // Layout class 0: the title on the left of the top band, the small buttons on its
    // right, the navigation buttons along the bottom band.
    imgVivo->move(14, 10);
    lbltop->setGeometry(60, 7, 300, 14);
    lblScreen->setGeometry(60, 20, 360, 30);
    int x = kLayoutWidth - 16;
    for (ImageButton* b : {imgClose, imgHelp, imgabout, imgOptions}) {
        x -= b->width();
        b->move(x, (area.top() - b->height()) / 2);
        x -= 8;
    }
    const int bandTop = area.bottom() + 1;
    const int bandHeight = kLayoutHeight - bandTop;
    imgBack->move(16, bandTop + (bandHeight - imgBack->height()) / 2);
    x = kLayoutWidth - 16;
    for (ImageButton* b : {imgConnections, imgShopping, imgCollection, imgSearch}) {
        x -= b->width();
        b->move(x, bandTop + (bandHeight - b->height()) / 2);
        x -= 10;
    }
}

void frmBackground::connectButtons() {
    connect(imgSearch, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Search); });
    connect(imgCollection, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Collections); });
    connect(imgShopping, &ImageButton::clicked, this, [] { Go_To_Screen(screen::ShoppingList); });
    connect(imgConnections, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Connections); });
    connect(imgBack, &ImageButton::clicked, this, &frmBackground::imgBack_Click);
    connect(imgOptions, &ImageButton::clicked, this, &frmBackground::imgOptions_Click);
    connect(imgabout, &ImageButton::clicked, this, &frmBackground::imgabout_Click);
    connect(imgHelp, &ImageButton::clicked, this, [] { Show_Help(); });
    connect(imgClose, &ImageButton::clicked, this, &QWidget::close);
    connect(imgVivo, &ImageButton::clicked, this, &frmBackground::imgVivo_Click);
}

frmBackground::~frmBackground() { qApp->removeEventFilter(this); }

void frmBackground::Show_me() {
    if (ctx().constants.intLayoutClass == 0)
        setFixedSize(kLayoutWidth, kLayoutHeight);
    show();
}

void frmBackground::Hide_Me() { move(20000 / kTwipsPerPixel, 20000 / kTwipsPerPixel); }

void frmBackground::imgBack_Click() {
    if (!Back_Screen())
        Go_To_Screen(screen::Switchboard);
}

void frmBackground::imgOptions_Click() { Show_Options(); }

void frmBackground::imgabout_Click() {
    if (auto* dialog = ctx().forms.get<QDialog>(form::About)) {
        ctx().services.dialogs->exec(*dialog);
        ctx().forms.unload(form::About);
    }
}

void frmBackground::goWithPicture(ImageButton* button, int screenCode) {
    button->showPressed();
    button->repaint();
    Go_To_Screen(screenCode);
    button->showNormal();
}

bool frmBackground::handleKey(int key) {
    switch (key) {
    case Qt::Key_Escape:
        imgBack->showPressed();
        imgBack->repaint();
        imgBack_Click();
        imgBack->showNormal();
        return true;
    case Qt::Key_F1: Show_Help(); return true;
    case Qt::Key_F5: goWithPicture(imgSearch, screen::Search); return true;
    case Qt::Key_F6: goWithPicture(imgCollection, screen::Collections); return true;
    case Qt::Key_F7: goWithPicture(imgShopping, screen::ShoppingList); return true;
    case Qt::Key_F8: goWithPicture(imgConnections, screen::Connections); return true;
    default: return false;
    }
}

bool frmBackground::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isEnabled() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ownEscape = key->key() == Qt::Key_Escape &&
                               watched->property(ScreenWindow::ClosesOnEscape).toBool();
        if (key->modifiers() == Qt::NoModifier && !ownEscape && handleKey(key->key()))
            return true; // consumed
    }
    return QWidget::eventFilter(watched, event);
}

bool frmBackground::bIsVivoActive() const { return m_vivo && m_vivo->isRunning(); }

void frmBackground::imgVivo_Click() {
    guarded("imgVivo_Click", [&] {
        QString path;
        if (!bReadIniStr_FileName(QStringLiteral("File Locations"), QStringLiteral("VIVO_GO.EXE"),
                                  QStringLiteral("VIVO_GO.EXE"), QStringLiteral("EXE"), QStringLiteral("Vivo Movie"),
                                  path, true))
            return;
        AppContext& a = ctx();
        if (bIsVivoActive()) {
            a.messages().beep();
            return;
        }
        Show_Message(3, QStringLiteral("Please wait whilst the Vivo movie loads"));
        // The original started it in the root folder; here its own folder is the natural one.
        m_vivo = a.services.shell ? a.services.shell->startProgram(path, QFileInfo(path).absolutePath()) : nullptr;
    });
}

bool frmBackground::QueryUnload(UnloadMode mode) {
    if (mode == UnloadMode::SessionEnding)
        return true;
    AppContext& a = ctx();
    const int answer = a.messages().show(QStringLiteral("Do you wish to exit Korvanda ?"), mb::YesNo | mb::Question);
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
    for (const QString& name : {form::Search, form::Collection, form::Shopping, form::Splash, form::SwitchBoard})
        forms.unload(name);
    for (const QString& name : forms.loadedNames())
        if (name != form::Background)
            forms.unload(name);
}

void frmBackground::Unload_From_Code() {
    if (m_exiting) return;
    m_exiting = true;
    ctx().busy().setBusy();
    ctx().frmActive = nullptr;
    Form_Unload();
    close();
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

} // namespace kv
