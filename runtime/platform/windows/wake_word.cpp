#include "runtime/platform/wake_word.h"

#include "runtime/platform/windows/windows_host.h"

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "Windows waits on the atomic's own four bytes");

void platform_wait_on_word(const std::atomic<uint32_t>& word, uint32_t seen, int timeout_ms) {
    if (timeout_ms <= 0 || word.load() != seen) return;
    // Returns at once when the word no longer holds seen.
    WaitOnAddress(const_cast<std::atomic<uint32_t>*>(&word), &seen, sizeof seen,
                  static_cast<DWORD>(timeout_ms));
}

void platform_wake_word(std::atomic<uint32_t>& word) {
    WakeByAddressAll(&word);
}
