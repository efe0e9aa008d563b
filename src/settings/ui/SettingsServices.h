#pragma once

namespace kv {

class AppContext;

// Installs the services this layer provides: the help viewer (the help book window) and
// the file locator (the locate-file dialog).
void installSettingsServices(AppContext& context);

} // namespace kv
