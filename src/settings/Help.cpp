#include "settings/Help.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "settings/FileLocations.h"
#include "settings/HelpContexts.h"

namespace kv {

namespace {

// The viewer with its book set; nullptr when no viewer is installed.
IHelpViewer* viewer() {
    IHelpViewer* help = ctx().services.help.get();
    if (help && help->helpFile().isEmpty()) help->setHelpFile(strHelpFile());
    return help;
}

} // namespace

QString strHelpFile() {
    return App_Path() + QStringLiteral("/Korvanda.hlp");
}

int Help_Context_For_Screen(int screenCode) {
    switch (screenCode) {
    case 0:
        return 0;
    case 1:
        return help::Switchboard;
    case 2:
        return help::Search;
    case 3:
        return help::Details;
    case 4:
        return help::Collections;
    case 5:
    case 7:
    case 8:
    case 9:
        return help::Shopping;
    case 6:
        return help::ShopDirectory;
    case 12:
        return help::Connections;
    default:
        return -1;
    }
}

void Show_Help() {
    guarded("Show_Help", [&] {
        const int context = Help_Context_For_Screen(ctx().intCurrentScreen);
        if (context == 0)
            Show_Help_Contents();
        else if (context > 0)
            Show_Help_Context(context);
    });
}

void Show_Help_Context(qint32 contextNumber) {
    guarded("Show_Help_Context", [&] {
        if (IHelpViewer* help = viewer()) help->showContext(contextNumber);
    });
}

void Show_Help_Contents() {
    guarded("Show_Help_Contents", [&] {
        if (IHelpViewer* help = viewer()) help->showContents();
    });
}

} // namespace kv
