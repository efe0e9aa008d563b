#pragma once

namespace kv {

// Ending the process at once (no clean-up) after a fatal condition such as a failed
// start-up. Tests replace it so the test process survives and records the call.
class IProcessControl {
public:
    virtual ~IProcessControl() = default;
    [[noreturn]] virtual void endNow(int exitCode) = 0;
};

} // namespace kv
