// Korvanda: the program's entry point. It installs the production services, registers
// the windows and runs the start-up chain.
#include "app/Startup.h"
#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "platform/AppContext.h"
#include "platform/qt/QtServices.h"

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
    kv::FormRegistry& forms = context->forms;
    forms.registerFactory(QStringLiteral("frmBackground"), [] { return new kv::frmBackground; });
    forms.registerFactory(QStringLiteral("frmSplash"), [] { return new kv::frmSplash; });

    kv::StartupPlan plan;
    if (!kv::Main_Startup(plan))
        return 1;
    return app.exec();
}
