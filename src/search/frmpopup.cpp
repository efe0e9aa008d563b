#include "search/frmpopup.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "search/frmSearch.h"
#include "titles/TitleLinks.h"
#include "titles/TitleViewer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>

namespace kv {

namespace {

// The viewer's margins inside the window.
constexpr int kMarginLeft = 3;
constexpr int kMarginTop = 5;
constexpr int kMarginWidth = 6;
constexpr int kMarginHeight = 8;
// Under this size the viewer keeps its size rather than shrink to nothing.
constexpr int kMinimumSide = 40;
constexpr QSize kFirstSize(380, 320);

TitleViewer* searchViewer() {
    auto* search = ctx().forms.find<frmSearch>(form::Search);
    return search ? search->MvrDetails : nullptr;
}

} // namespace

PopupPosition& popupPosition() {
    return ctx().slot<PopupPosition>();
}

frmpopup::frmpopup(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::WindowSystemMenuHint) {
    setObjectName(form::ArtistPopup);
    setWindowTitle(kPopupCaption);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x1a, 0x1d, 0x29));
    setPalette(p);
    setAutoFillBackground(true);

    mvSecondary = new TitleViewer(this);
    mvSecondary->setObjectName(QStringLiteral("mvSecondary"));
    mvSecondary->setAccessibleName(QStringLiteral("The artist's recordings"));
    mvSecondary->verticalScrollBar()->setAccessibleName(QStringLiteral("The artist's recordings"));
    if (TitleViewer* search = searchViewer()) mvSecondary->setTitleFile(search->titleFile());

    connectPopupViewerLinks(
        mvSecondary, searchViewer(), [this] { close(); },
        [](const QString& artist) { bShow_ArtistPopup(artist); });

    const PopupPosition& at = popupPosition();
    if (at.Width > 0) {
        resize(at.Width, at.Height);
        move(at.Left, at.Top);
        m_placed = true;
    } else {
        resize(kFirstSize);
    }
}

void frmpopup::placeFirstTime() {
    if (m_placed) return;
    m_placed = true;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

bool frmpopup::Show_Artist(const QString& artistContext) {
    bool shown = false;
    guarded("Show_Artist", [&] {
        if (!mvSecondary->titleHandle())
            if (TitleViewer* search = searchViewer())
                mvSecondary->setTitleFile(search->titleFile());
        if (!mvSecondary->jumpToContext(artistContext)) return;
        placeFirstTime();
        show();
        raise();
        activateWindow();
        shown = true;
    });
    if (!shown) {
        ctx().messages().show(kArtistNotFound, mb::OKOnly | mb::Exclamation);
        close();
    }
    return shown;
}

void frmpopup::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() < kMinimumSide || height() < kMinimumSide) return;
    mvSecondary->setGeometry(kMarginLeft, kMarginTop, width() - kMarginWidth,
                             height() - kMarginHeight);
}

void frmpopup::closeEvent(QCloseEvent* event) {
    // Only a pop-up that was up has a place worth keeping.
    if (isVisible()) {
        PopupPosition& at = popupPosition();
        at.Top = pos().y();
        at.Left = pos().x();
        at.Width = width();
        at.Height = height();
    }
    QWidget::closeEvent(event);
}

void registerArtistPopup() {
    FormRegistry& forms = ctx().forms;
    if (forms.hasFactory(form::ArtistPopup)) return;
    forms.registerFactory(form::ArtistPopup, [] {
        return new frmpopup(
            qobject_cast<QWidget*>(ctx().forms.loaded(form::Background)));
    });
}

bool bShow_ArtistPopup(const QString& artistContext) {
    registerArtistPopup();
    auto* popup = ctx().forms.get<frmpopup>(form::ArtistPopup);
    return popup && popup->Show_Artist(artistContext);
}

} // namespace kv
