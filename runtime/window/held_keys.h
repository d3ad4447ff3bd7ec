#pragma once
// The keys currently held, lock keys while their lock is on, and the Scroll Lock and
// Insert mode states. Changed by the window and service threads, read by all.
#include <cstdint>

void hold_key(int32_t id);
void let_go_key(int32_t id);
bool key_is_held(int32_t id);

bool shift_held();
bool ctrl_held();
bool alt_held();

// The key-down query: a character also matches its keypad key, a navigation code
// 0x4700 to 0x5300 also matches its keypad key with Num Lock off.
bool key_is_down(int32_t id);
