#include "app/frmSwitchBoard.h"

#include "app/Navigation.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "titles/VideoPlayback.h"

namespace kv {

namespace {
QWidget* videoPane(QWidget* parent, const char* name, const QRect& at) {
    auto* pane = new QWidget(parent);
    pane->setObjectName(QLatin1String(name));
    QPalette p = pane->palette();
    p.setColor(QPalette::Window, QColor(16, 16, 14));
    pane->setPalette(p);
    pane->setAutoFillBackground(true);
    pane->setGeometry(at);
    pane->hide();
    return pane;
}
} // namespace

frmSwitchBoard::frmSwitchBoard() : ScreenWindow(form::SwitchBoard) {
    const int base = ctx().constants.lngResourceBase;

    imgMain = new QLabel(this);
    imgMain->setObjectName(QStringLiteral("imgMain"));
    imgMain->setPixmap(resourcePicture(base + 2005, this));
    imgMain->setScaledContents(true);
    imgMain->setGeometry(rect());

    picProper = new QLabel(this);
    picProper->setObjectName(QStringLiteral("picProper"));
    picProper->setPixmap(resourcePicture(base + 2010, this));
    picProper->adjustSize();
    picProper->move(28, 26);
    picProper->setAccessibleName(QStringLiteral("Korvanda"));

    auto* blurb = new QLabel(this);
    blurb->setObjectName(QStringLiteral("lblWelcome"));
    blurb->setWordWrap(true);
    blurb->setText(QStringLiteral("Find any recording by artist, album or track, keep your collections "
                                  "and wanted list, and order from the shops you trust."));
    QPalette bp = blurb->palette();
    bp.setColor(QPalette::WindowText, QColor(0xc9, 0xc4, 0xb8));
    blurb->setPalette(bp);
    blurb->setGeometry(30, 100, 250, 80);

    const auto tile = [&](const char* name, int normal, int pressed, const QString& accessibleName) {
        auto* b = new ImageButton(base + normal, base + pressed, this);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(accessibleName);
        return b;
    };
    imgSearch = tile("imgSearch", 2021, 2024, QStringLiteral("Search"));
    imgCollection = tile("imgCollection", 2026, 2028, QStringLiteral("Collections"));
    imgShopping = tile("imgShopping", 2030, 2032, QStringLiteral("Shopping"));
    imgConnections = tile("imgConnections", 2034, 2036, QStringLiteral("Connections"));
    int x = 24;
    for (ImageButton* b : {imgSearch, imgCollection, imgShopping, imgConnections}) {
        b->move(x, height() - b->height() - 24);
        x += b->width() + 10;
    }
    connect(imgSearch, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Search); });
    connect(imgCollection, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Collections); });
    connect(imgShopping, &ImageButton::clicked, this, [] { Go_To_Screen(screen::ShoppingList); });
    connect(imgConnections, &ImageButton::clicked, this, [] { Go_To_Screen(screen::Connections); });

    // The two clips (288 x 160) play one after the other right of the brand plate.
    picVid1 = videoPane(this, "picVid1", QRect(292, 24, 288, 160));
    picVid2 = videoPane(this, "picVid2", QRect(292, 24, 288, 160));
}

void frmSwitchBoard::Show_me() {
    imgMain->setGeometry(rect());
    ScreenWindow::Show_me();
}

void frmSwitchBoard::Switch_Effects() {
    if (!ctx().options.bPlayIntro)
        return;
    picVid1->show();
    picVid1->raise();
    picVid2->show();
    picVid2->raise();
    bLaunchPlayVideo(picVid1, picVid2);
}

} // namespace kv
