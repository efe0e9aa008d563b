#include "collections/frmCollection.h"

namespace kv {

frmCollection::frmCollection() : ScreenWindow(QStringLiteral("frmCollection")) {}

} // namespace kv
