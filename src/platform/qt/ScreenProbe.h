#pragma once

#include <QSize>
#include <optional>

namespace kv {

// The free area of the primary screen (its size without panels and docks), in logical
// pixels, as a Qt program started now with this process's environment and arguments would
// see it: the desktop's own scale and the user's QT_SCALE_FACTOR already applied.
//
// Qt fixes a program's scale when its application object is made, before that object can
// tell which screen there is; so the screen is measured by a short-lived child process
// (forked, nothing executed) that makes an application object of its own. Call it while
// this process has no application object and runs no other threads. Empty when the child
// could not measure within timeoutMs (no display, a crash): it is then stopped and reaped.
std::optional<QSize> probeAvailableScreenSize(int argc, char** argv, int timeoutMs = 5000);

} // namespace kv
