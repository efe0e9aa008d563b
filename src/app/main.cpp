// Korvanda: the program's entry point. It installs the production services, registers
// the windows and runs the start-up chain.
#include "platform/AppContext.h"
#include "program/Program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvanda"));
    QApplication::setApplicationDisplayName(QStringLiteral("Korvanda"));
    QApplication::setOrganizationName(QStringLiteral("TALV_Ltd"));
    // Shutdown is driven by the background window, which quits the event loop itself.
    QApplication::setQuitOnLastWindowClosed(false);

    kv::ScopedContext context;
    kv::installProgramServices(context.get());
    kv::registerProgramWindows(context.get());
    if (!kv::Main_Startup(kv::programStartupPlan(context.get())))
        return 1;
    return app.exec();
}
