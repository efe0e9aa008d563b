#pragma once

namespace kv {

// The hourglass pointer. Calls nest: the default pointer comes back when every busy
// call has been matched by a restore.
class IBusyPointer {
public:
    virtual ~IBusyPointer() = default;
    virtual void setBusy() = 0;
    virtual void restore() = 0;
    // Drops every pending busy call ("mouse pointer = default").
    virtual void reset() = 0;
    virtual int depth() const = 0;
};

// Shows the hourglass for the life of the scope and restores the pointer on every way
// out, errors included.
class BusyScope {
public:
    BusyScope();
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    IBusyPointer* m_pointer;
};

} // namespace kv
