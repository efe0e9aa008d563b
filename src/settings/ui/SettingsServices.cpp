#include "settings/ui/SettingsServices.h"

#include "platform/AppContext.h"
#include "settings/ui/FindFileLocator.h"
#include "settings/ui/HelpBookViewer.h"

namespace kv {

void installSettingsServices(AppContext& context) {
    context.services.help = std::make_unique<HelpBookViewer>();
    context.services.locator = std::make_unique<FindFileLocator>();
}

} // namespace kv
