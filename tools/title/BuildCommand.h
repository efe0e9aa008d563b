#pragma once

#include <QString>
#include <QStringList>

namespace kv {

// korvanda-title build catalogue SRC_DIR OUT [--memory MB] [--scratch DIR]: the arguments
// after "catalogue"; returns the exit status. Progress on a terminal, stops on Ctrl+C.
int buildCatalogueCommand(const QStringList& args);

} // namespace kv
