#include "program/Program.h"

#include "about/frmAbout.h"
#include "app/Navigation.h"
#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "app/frmSwitchBoard.h"
#include "collections/CollectionStore.h"
#include "collections/frmCollection.h"
#include "catalogue/Catalogue.h"
#include "platform/AppContext.h"
#include "platform/qt/QtMediaPlayer.h"
#include "platform/qt/QtServices.h"
#include "search/frmSearch.h"
#include "settings/Options.h"
#include "settings/ui/SettingsServices.h"
#include "shopping/frmShopping.h"
#include "titles/TitleAccess.h"
#include "titles/TitleViewer.h"

namespace kv {

void installProgramServices(AppContext& context) {
    installQtServices(context);
    installSettingsServices(context);
    installQtMediaPlayer();
}

void registerProgramWindows(AppContext& context) {
    FormRegistry& forms = context.forms;
    forms.registerFactory(QStringLiteral("frmBackground"), [] { return new frmBackground; });
    forms.registerFactory(QStringLiteral("frmSplash"), [] { return new frmSplash; });
    forms.registerFactory(QStringLiteral("frmSwitchBoard"), [] { return new frmSwitchBoard; });
    forms.registerFactory(QStringLiteral("frmSearch"), [] { return new frmSearch; });
    forms.registerFactory(QStringLiteral("frmCollection"), [] { return new frmCollection; });
    forms.registerFactory(QStringLiteral("frmShopping"), [] { return new frmShopping; });
    forms.registerFactory(QStringLiteral("frmAbout"), [] { return new frmAbout; });
}

StartupPlan programStartupPlan(AppContext& context) {
    StartupPlan plan;
    plan.steps = {
        {QStringLiteral("bInit_Options"), [] { return bInit_Options(); }},
        {QStringLiteral("bOpenCollection_DB"),
         [] { return bOpenCollection_DB(QString(), QStringLiteral("KORDB.MDB"), QStringLiteral("KORDB.MDW")); }},
        {QStringLiteral("bInit_RCollections"), [] { return bInit_RCollections(); }},
        // The catalogue title is opened into the search screen's viewer, which owns it.
        {QStringLiteral("bOpenTALVMVTitle"),
         [] {
             auto* search = ctx().forms.get<frmSearch>(QStringLiteral("frmSearch"));
             return search && bOpenTALVMVTitle(QStringLiteral("Music.M14"), search->MvrDetails);
         }},
        {QStringLiteral("bInit_MV"),
         [] {
             BusyScope busy;
             auto* search = ctx().forms.find<frmSearch>(QStringLiteral("frmSearch"));
             return search && bInit_MV(search->MvrDetails);
         }},
    };
    // The collection cursors close before the database they read.
    context.shutdownSteps.push_back({QStringLiteral("collections"), [] { CloseCollections(); }});
    context.shutdownSteps.push_back({QStringLiteral("database"), [] { CloseCatalogue(); }});
    plan.showFirstScreen = [] { return bSwitch_Show(); };
    plan.switchEffects = [] {
        if (auto* switchboard = ctx().forms.find<frmSwitchBoard>(QStringLiteral("frmSwitchBoard")))
            switchboard->Switch_Effects();
    };
    return plan;
}

} // namespace kv
