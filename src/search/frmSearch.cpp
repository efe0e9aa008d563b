#include "search/frmSearch.h"

namespace kv {

frmSearch::frmSearch() : ScreenWindow(QStringLiteral("frmSearch")) {}

} // namespace kv
