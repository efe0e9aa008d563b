#pragma once

#include <functional>

namespace kv {

// What the options dialog needs from the search screen, filled in by the search screen
// when it loads and cleared when it unloads: its current search type (-1 before the
// first choice) and its refresh. Lives in ctx().slot<SearchScreenHook>(), so every test
// starts without one.
struct SearchScreenHook {
    std::function<int()> SearchType;
    std::function<void()> refresh_Search;
};

} // namespace kv
