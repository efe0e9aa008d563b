#include "program/Program.h"

#include "about/frmAbout.h"
#include "app/Navigation.h"
#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "app/frmSwitchBoard.h"
#include "collections/CollectionStore.h"
#include "collections/frmCollection.h"
#include "connections/Connections.h"
#include "catalogue/Catalogue.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/mail/MailService.h"
#include "platform/qt/QtMediaPlayer.h"
#include "platform/qt/QtServices.h"
#include "search/fSearch.h"
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
    installMailService(context);
    installQtMediaPlayer();
}

void registerProgramWindows(AppContext& context) {
    FormRegistry& forms = context.forms;
    forms.registerFactory(form::Background, [] { return new frmBackground; });
    forms.registerFactory(form::Splash, [] { return new frmSplash; });
    forms.registerFactory(form::SwitchBoard, [] { return new frmSwitchBoard; });
    forms.registerFactory(form::Search, [] { return new frmSearch; });
    forms.registerFactory(form::Collection, [] { return new frmCollection; });
    forms.registerFactory(form::Shopping, [] { return new frmShopping; });
    forms.registerFactory(form::FindFilterSort, [] {
        return new fSearch(qobject_cast<QWidget*>(ctx().forms.loaded(form::Background)));
    });
    forms.registerFactory(form::About, [] { return new frmAbout; });
}

StartupPlan programStartupPlan(AppContext& context) {
    StartupPlan plan;
    plan.steps = {
        {QStringLiteral("bInit_Options"), [] { return bInit_Options(); }},
        {QStringLiteral("bOpenCollection_DB"),
         [] { return bOpenCollection_DB(QString(), QStringLiteral("KORDB.MDB"), QStringLiteral("KORDB.MDW")); }},
        {QStringLiteral("bInit_RCollections"), [] { return bInit_RCollections(); }},
        {QStringLiteral("bInit_Connections"), [] { return bInit_Connections(); }},
        // The catalogue title is opened into the search screen's viewer, which owns it.
        {QStringLiteral("bOpenTALVMVTitle"),
         [] {
             auto* search = ctx().forms.get<frmSearch>(form::Search);
             return search && bOpenTALVMVTitle(QStringLiteral("Music.M14"), search->MvrDetails);
         }},
        {QStringLiteral("bInit_MV"),
         [] {
             BusyScope busy;
             auto* search = ctx().forms.find<frmSearch>(form::Search);
             return search && bInit_MV(search->MvrDetails);
         }},
    };
    // The collection cursors close before the database they read.
    context.shutdownSteps.push_back({QStringLiteral("collections"), [] { CloseCollections(); }});
    context.shutdownSteps.push_back({QStringLiteral("connections"), [] { CloseConnections(); }});
    context.shutdownSteps.push_back({QStringLiteral("database"), [] { CloseCatalogue(); }});
    plan.showFirstScreen = [] { return nav::bSwitch_Show(); };
    plan.switchEffects = [] {
        if (auto* switchboard = ctx().forms.find<frmSwitchBoard>(form::SwitchBoard))
            switchboard->Switch_Effects();
    };
    return plan;
}

} // namespace kv
