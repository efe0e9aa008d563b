#pragma once

#include <QStringList>

namespace kv {

// korvanda-title import discogs OUTDIR --releases FILE [...]: the arguments after "import";
// returns the exit status.
int importCommand(const QStringList& args);

// The usage lines of the import command.
QString importUsage();

} // namespace kv
