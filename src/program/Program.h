#pragma once

#include "app/Startup.h"

namespace kv {

class AppContext;

// Installs the production services of every layer.
void installProgramServices(AppContext& context);
// Registers every window of the program with the context's window registry.
void registerProgramWindows(AppContext& context);
// The start-up chain of the whole program, and the shutdown steps it needs.
StartupPlan programStartupPlan(AppContext& context);

} // namespace kv
