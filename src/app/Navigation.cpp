#include "app/Navigation.h"

#include "app/ScreenWindow.h"
#include "app/frmBackground.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"

namespace kv {

namespace {

ScreenWindow* screenWindow(const QString& name) {
    auto* w = ctx().forms.get<ScreenWindow>(name);
    if (!w)
        raiseError(err::ObjectNotSet, QStringLiteral("The window %1 is not available").arg(name));
    return w;
}

void hideIfLoaded(const QString& name) {
    if (auto* w = qobject_cast<QWidget*>(ctx().forms.loaded(name)))
        w->hide();
}

void setScreenTitle(const QString& title) {
    if (auto* bg = ctx().forms.find<frmBackground>(form::Background)) {
        bg->lblScreen->setText(title);
        bg->lbltop->setText(title);
    }
}

// Every show routine: the window becomes the active one, the code is stored, the window
// is prepared and shown, then the title is set.
template <typename Prepare>
bool showScreen(const char* procedure, const QString& window, int code, const QString& title, Prepare&& prepare) {
    return guarded(procedure, [&] {
        ScreenWindow* w = screenWindow(window);
        AppContext& a = ctx();
        a.frmActive = w;
        a.intCurrentScreen = code;
        prepare(w);
        setScreenTitle(title);
    });
}

} // namespace

namespace nav {

bool bSwitch_Show() {
    return showScreen("bSwitch_Show", form::SwitchBoard, screen::Switchboard, QString(),
                      [](ScreenWindow* w) { w->Show_me(); });
}

bool bSearch_Show() {
    return showScreen("bSearch_Show", form::Search, screen::Search, QStringLiteral("Search"), [](ScreenWindow* w) {
        w->Init_Form();
        w->Form_Mode(screen::Search);
        w->Show_me();
    }) && guarded("bSearch_Show", [] {
        // The first visit starts with the artists.
        QObject* w = ctx().forms.loaded(form::Search);
        const QVariant type = w ? w->property("SearchType") : QVariant();
        if (type.isValid() && type.toInt() == -1)
            w->setProperty("SearchType", 0);
    });
}

bool bDetails_Show() {
    return showScreen("bDetails_Show", form::Search, screen::Details, QStringLiteral("Details"), [](ScreenWindow* w) {
        w->Init_Form();
        w->Form_Mode(screen::Details);
        w->Show_me();
    });
}

bool bCollection_Show() {
    return showScreen("bCollection_Show", form::Collection, screen::Collections, QStringLiteral("Collections"),
                      [](ScreenWindow* w) {
                          hideIfLoaded(form::FindFilterSort);
                          w->Form_Mode(screen::Collections);
                          w->Show_me();
                      });
}

bool bConnection_Show() {
    return showScreen("bConnection_Show", form::Collection, screen::Connections, QStringLiteral("Connections"),
                      [](ScreenWindow* w) {
                          hideIfLoaded(form::FindFilterSort);
                          w->Form_Mode(screen::Connections);
                          w->Show_me();
                      });
}

bool bShopping_Show(int intPage) {
    return showScreen("bShopping_Show", form::Shopping, intPage, QStringLiteral("Shopping"), [intPage](ScreenWindow* w) {
        w->Form_Mode(intPage);
        w->Show_me();
    });
}

bool bSwitch_Hide() {
    return guarded("bSwitch_Hide", [] { hideIfLoaded(form::SwitchBoard); });
}

bool bSearch_Hide() {
    return guarded("bSearch_Hide", [] {
        hideIfLoaded(form::ArtistPopup);
        hideIfLoaded(form::Search);
    });
}

bool bCollection_Hide() {
    return guarded("bCollection_Hide", [] {
        hideIfLoaded(form::Collection);
        hideIfLoaded(form::FindFilterSort);
    });
}

bool bShopping_Hide() {
    return guarded("bShopping_Hide", [] { hideIfLoaded(form::Shopping); });
}

bool bHide_Active(int intScreen) {
    switch (intScreen) {
    case screen::Switchboard: return bSwitch_Hide();
    case screen::Search: return bSearch_Hide();
    default: return true;
    }
}

bool bShow_Form(int intOldScreen, int& intNewScreen) {
    return guarded("bShow_Form", [&] {
        if (intOldScreen == intNewScreen)
            return true;
        bool result = true;
        switch (intNewScreen) {
        case screen::Switchboard: result = bSwitch_Show(); break;
        case screen::Search: result = bSearch_Show(); break;
        case screen::Details: result = bDetails_Show(); break;
        case screen::Collections: result = bCollection_Show(); break;
        case screen::ShoppingList:
        case screen::ShopDirectory:
        case screen::FeaturedShop:
        case screen::OrderDirectShop:
        case screen::PhoneOrder: result = bShopping_Show(intNewScreen); break;
        case screen::Connections: result = bConnection_Show(); break;
        default: break; // 0, 10 and 11: the shopping window enters the last two itself
        }
        const auto shopping = [](int code) { return code >= screen::ShoppingList && code <= screen::EmailOrder; };
        switch (intOldScreen) {
        case screen::Switchboard: result = bSwitch_Hide(); break;
        case screen::Search:
            if (intNewScreen != screen::Details)
                result = bSearch_Hide();
            break;
        case screen::Details:
            if (intNewScreen != screen::Search)
                result = bSearch_Hide();
            break;
        case screen::Collections:
            if (intNewScreen != screen::Connections)
                result = bCollection_Hide();
            break;
        case screen::Connections:
            if (intNewScreen != screen::Collections)
                result = bCollection_Hide();
            break;
        default:
            if (shopping(intOldScreen) && !shopping(intNewScreen))
                result = bShopping_Hide();
            break;
        }
        return result;
    });
}

} // namespace nav

bool Go_To_Screen(int intScreen) {
    int target = intScreen;
    return nav::bShow_Form(ctx().intCurrentScreen, target);
}

bool Back_Screen() {
    int target = 0;
    switch (ctx().intCurrentScreen) {
    case screen::Details: target = screen::Search; break;
    case screen::ShopDirectory: target = screen::ShoppingList; break;
    case screen::FeaturedShop:
    case screen::OrderDirectShop: target = screen::ShopDirectory; break;
    case screen::PhoneOrder: {
        // The shopping window notes in its phone button's tag the page it came from.
        auto* shopping = qobject_cast<QWidget*>(ctx().forms.loaded(form::Shopping));
        auto* phone = shopping ? shopping->findChild<ImageButton*>(QStringLiteral("imgPhone")) : nullptr;
        target = phone ? phone->tag.trimmed().toInt() : 0;
        // Without a page to return to there is no step back (rather than a blank screen).
        if (target < screen::Switchboard || target > screen::Connections)
            return false;
        break;
    }
    case screen::FaxOrder:
    case screen::EmailOrder: target = screen::OrderDirectShop; break;
    default: return false;
    }
    nav::bShow_Form(ctx().intCurrentScreen, target);
    return true;
}

} // namespace kv
