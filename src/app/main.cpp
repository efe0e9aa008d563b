// Korvanda: the program's entry point. It installs the production services, registers
// the windows and runs the start-up chain.
#include "app/Navigation.h"
#include "app/Startup.h"
#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "app/frmSwitchBoard.h"
#include "collections/frmCollection.h"
#include "db/catalogue/Catalogue.h"
#include "platform/AppContext.h"
#include "platform/qt/QtMediaPlayer.h"
#include "platform/qt/QtServices.h"
#include "search/frmSearch.h"
#include "settings/Options.h"
#include "settings/ui/SettingsServices.h"
#include "shopping/frmShopping.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvanda"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanda"));
    QApplication::setOrganizationName(QStringLiteral("TALV_Ltd"));
    // Shutdown is driven by the background window, which quits the event loop itself.
    QApplication::setQuitOnLastWindowClosed(false);

    kv::ScopedContext context;
    kv::installQtServices(context.get());
    kv::installSettingsServices(context.get());
    kv::installQtMediaPlayer();

    kv::FormRegistry& forms = context->forms;
    forms.registerFactory(QStringLiteral("frmBackground"), [] { return new kv::frmBackground; });
    forms.registerFactory(QStringLiteral("frmSplash"), [] { return new kv::frmSplash; });
    forms.registerFactory(QStringLiteral("frmSwitchBoard"), [] { return new kv::frmSwitchBoard; });
    forms.registerFactory(QStringLiteral("frmSearch"), [] { return new kv::frmSearch; });
    forms.registerFactory(QStringLiteral("frmCollection"), [] { return new kv::frmCollection; });
    forms.registerFactory(QStringLiteral("frmShopping"), [] { return new kv::frmShopping; });

    kv::StartupPlan plan;
    plan.steps = {
        {QStringLiteral("bInit_Options"), [] { return kv::bInit_Options(); }},
        {QStringLiteral("bOpenCollection_DB"),
         [] { return kv::bOpenCollection_DB(QString(), QStringLiteral("KORDB.MDB"), QStringLiteral("KORDB.MDW")); }},
    };
    context->shutdownSteps.push_back({QStringLiteral("database"), [] { kv::CloseCatalogue(); }});
    plan.showFirstScreen = [] { return kv::bSwitch_Show(); };
    plan.switchEffects = [&forms] {
        if (auto* switchboard = forms.find<kv::frmSwitchBoard>(QStringLiteral("frmSwitchBoard")))
            switchboard->Switch_Effects();
    };
    if (!kv::Main_Startup(plan))
        return 1;
    return app.exec();
}
