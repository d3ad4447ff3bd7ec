#include "runtime/platform/floating_point.h"

#include <cstdint>

namespace {

constexpr uint16_t precision_control = 0x0300; // bits 8 and 9 of the control word
constexpr uint16_t extended_precision = 0x0300;

} // namespace

void platform_use_extended_precision() {
#if defined(__i386__) || defined(__x86_64__)
    // Both hosts may start a thread at double precision (Windows does by default).
    uint16_t word = 0;
    asm volatile("fnstcw %0" : "=m"(word));
    word = static_cast<uint16_t>((word & ~precision_control) | extended_precision);
    asm volatile("fldcw %0" : : "m"(word));
#endif
}
