#include "runtime/console/random.h"

#include <bit>
#include <cstdint>

#include "runtime/console/line_input.h"
#include "runtime/core/errors.h"
#include "runtime/core/line_check.h"
#include "runtime/screen/text_output.h"

uint32_t rnd_seed = rnd_start_seed;

namespace {

constexpr uint32_t seed_mask = 0xFFFFFF;
constexpr float seed_range = 16777216.0f;
constexpr uint32_t multiplier = 16598013;
constexpr uint32_t increment = 12820163;

// The low byte of the seed survives every reseeding; the new 16 bits go above it.
uint32_t reseeded(uint32_t base, uint32_t sixteen_bits) {
    return (base & 0xFF) | ((sixteen_bits & 0xFFFF) << 8);
}

// The high half of a double's bit pattern folded onto itself.
uint32_t folded_high_word(double n) {
    const uint32_t high = static_cast<uint32_t>(std::bit_cast<uint64_t>(n) >> 32);
    return (high >> 16) ^ high;
}

int16_t asked_seed() {
    int16_t answer = 0;
    rt_print("Random-number seed (-32768 to 32767)? ", false);
    rt_input_target(1, &answer, input_integer);
    rt_input(1, true);
    return answer;
}

} // namespace

float rt_rnd(float x, uint32_t given) {
    if (error_state.error_pending) return 0;
    if (!(given & 1)) x = 1;
    if (x == 0) return static_cast<float>(rnd_seed) / seed_range;
    if (x < 0) {
        const uint32_t bits = std::bit_cast<uint32_t>(x);
        rnd_seed = (bits & seed_mask) + (bits >> 24);
    }
    rnd_seed = (rnd_seed * multiplier + increment) & seed_mask;
    return static_cast<float>(rnd_seed) / seed_range;
}

void rt_randomize(double n, int32_t form) {
    if (error_state.error_pending) return;
    if (form == randomize_prompt) {
        const int16_t answer = asked_seed();
        if (!error_state.error_pending)
            rnd_seed = reseeded(rnd_seed, static_cast<uint16_t>(answer));
        return;
    }
    const uint32_t base = form == randomize_restart ? rnd_start_seed : rnd_seed;
    rnd_seed = reseeded(base, folded_high_word(n));
}
