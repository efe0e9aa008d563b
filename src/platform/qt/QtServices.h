#pragma once

#include "platform/AppContext.h"

namespace kv {

// Installs the production implementation of every platform service this layer provides
// (message boxes, modal dialogs, file dialogs, busy pointer, sound, resources, process
// control, shell, secret store). The help viewer and the file locator come from the
// settings windows; the mail service from the mail layer.
void installQtServices(AppContext& context);

} // namespace kv
