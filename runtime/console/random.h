#pragma once
// Pseudo-random numbers: a 24-bit linear congruential generator whose whole state is
// one 24-bit seed. Without reseeding every run gives the same sequence.
#include <cstdint>

// The seed at process start; the restarting form of rt_randomize reseeds from it.
constexpr uint32_t rnd_start_seed = 327680;
extern uint32_t rnd_seed;

// The next number in [0, 1). x (given bit 1, else 1): 0 repeats the last number, a
// negative x reseeds from its bit pattern before advancing.
float rt_rnd(float x, uint32_t given);

// The three forms of reseeding.
constexpr int32_t randomize_value = 0;   // n mixed into the current seed
constexpr int32_t randomize_restart = 1; // n mixed into the start seed: same n, same sequence
constexpr int32_t randomize_prompt = 2;  // asks for a seed from -32768 to 32767 (n unused)
void rt_randomize(double n, int32_t form);
