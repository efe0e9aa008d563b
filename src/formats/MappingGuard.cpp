#include "formats/MappingGuard.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace kv::formats {

namespace {

struct Slot {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> faulted{false}; // lock-free, so the handler may set it
};
constexpr int kSlots = 256;
Slot g_slots[kSlots];
uintptr_t g_pageSize = 4096;
struct sigaction g_previous;

void onBusError(int sig, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& s : g_slots) {
        const uintptr_t b = s.begin.load(std::memory_order_acquire);
        const uintptr_t e = s.end.load(std::memory_order_acquire);
        if (b == 0 || at < b || at >= e) continue;
        const uintptr_t page = at & ~(g_pageSize - 1);
        const uintptr_t last = (e + g_pageSize - 1) & ~(g_pageSize - 1);
        s.faulted.store(true, std::memory_order_relaxed);
        // mmap is a plain system call, safe here; the faulting read then sees zeros.
        if (mmap(reinterpret_cast<void*>(page), last - page, PROT_READ,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
        break;
    }
    // Not a title's page: whatever was there before decides.
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(sig, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN &&
        g_previous.sa_handler != nullptr) {
        g_previous.sa_handler(sig);
        return;
    }
    // Returning re-runs the faulting read, which now ends the program as it would have.
    signal(sig, SIG_DFL);
}

void install() {
    g_pageSize = uintptr_t(sysconf(_SC_PAGESIZE));
    struct sigaction sa = {};
    sa.sa_sigaction = onBusError;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGBUS, &sa, &g_previous);
}

std::mutex g_mutex; // guard and unguard; the handler only reads

} // namespace

bool guardMapping(const void* base, uint64_t size) {
    static std::once_flag once;
    std::call_once(once, install);
    std::lock_guard lock(g_mutex);
    for (Slot& s : g_slots) {
        if (s.begin.load(std::memory_order_relaxed) != 0) continue;
        // The end first, so that the handler never pairs a begin with an old end.
        s.faulted.store(false, std::memory_order_relaxed);
        s.end.store(reinterpret_cast<uintptr_t>(base) + size, std::memory_order_release);
        s.begin.store(reinterpret_cast<uintptr_t>(base), std::memory_order_release);
        return true;
    }
    return false;
}

void unguardMapping(const void* base) {
    std::lock_guard lock(g_mutex);
    for (Slot& s : g_slots) {
        if (s.begin.load(std::memory_order_relaxed) != reinterpret_cast<uintptr_t>(base)) continue;
        s.begin.store(0, std::memory_order_release);
        s.end.store(0, std::memory_order_release);
        return;
    }
}

bool mappingFaulted(const void* base) {
    std::lock_guard lock(g_mutex);
    for (const Slot& s : g_slots)
        if (s.begin.load(std::memory_order_relaxed) == reinterpret_cast<uintptr_t>(base))
            return s.faulted.load(std::memory_order_relaxed);
    return false;
}

} // namespace kv::formats
