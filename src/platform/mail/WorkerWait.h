#pragma once

#include <functional>

namespace kv::mail {

// Runs the work on a thread of its own and waits for it in a local event loop, so the
// user-interface thread goes on painting and handling events. The work must end by itself
// (every wait in it bounded).
void runOnWorker(const std::function<void()>& work);

} // namespace kv::mail
