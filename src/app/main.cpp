// Korvanda: the program's entry point. It sets the window size, installs the production
// services, registers the windows and runs the start-up chain.
#include "app/StartupScale.h"
#include "platform/AppContext.h"
#include "program/Program.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Qt takes the scale from the environment while the application object is made.
    kv::StartupScale scale(argc, argv);
    QApplication app(argc, argv);
    scale.restoreEnvironment();
    QApplication::setApplicationName(QStringLiteral("Korvanda"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanda"));
    QApplication::setOrganizationName(QStringLiteral("TALV_Ltd"));
    // Shutdown is driven by the background window, which quits the event loop itself.
    QApplication::setQuitOnLastWindowClosed(false);

    kv::ScopedContext context;
    context->constants.intWindowScale = scale.percent();
    kv::installProgramServices(context.get());
    kv::registerProgramWindows(context.get());
    if (!kv::Main_Startup(kv::programStartupPlan(context.get())))
        return 1;
    return app.exec();
}
