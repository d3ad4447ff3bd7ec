#include "runtime/platform/wake_word.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>
#include <ctime>

namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "the kernel waits on the atomic's own four bytes");

constexpr long ns_per_ms = 1000000;
constexpr int ms_per_s = 1000;

uint32_t* address_of(const std::atomic<uint32_t>& word) {
    return reinterpret_cast<uint32_t*>(const_cast<std::atomic<uint32_t>*>(&word));
}

} // namespace

void platform_wait_on_word(const std::atomic<uint32_t>& word, uint32_t seen, int timeout_ms) {
    if (timeout_ms <= 0 || word.load() != seen) return;
    const timespec timeout{timeout_ms / ms_per_s, (timeout_ms % ms_per_s) * ns_per_ms};
    // A relative time-out; a changed word returns at once (EAGAIN).
    syscall(SYS_futex, address_of(word), FUTEX_WAIT_PRIVATE, seen, &timeout, nullptr, 0);
}

void platform_wake_word(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, address_of(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}
