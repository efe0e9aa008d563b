#pragma once

#include <QString>
#include <QStringList>
#include <atomic>

namespace kv {

// korvanda-title build catalogue SRC_DIR OUT [--memory MB] [--scratch DIR]: the arguments
// after "catalogue"; returns the exit status. Progress on a terminal, stops on Ctrl+C.
int buildCatalogueCommand(const QStringList& args);

// Ctrl+C and SIGTERM set this flag instead of ending the program, so that long work can
// stop and leave its output as it was. The handlers are installed on the first call.
const std::atomic<bool>* stopOnInterrupt();

} // namespace kv
