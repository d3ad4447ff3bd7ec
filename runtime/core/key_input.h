#pragma once
// The program's side of the key queue: waiting for keys and reading them.
#include <cstdint>

#include "runtime/core/rt_string.h"

// True when a key is waiting; takes nothing and makes no string.
bool rt_key_waiting();
// One idle turn of a program-thread key wait, called when no key is waiting: notes that
// every key queued so far has been read (and, after reading keys, asks for a frame), then
// sleeps until a key arrives, the wait is woken, or longest_ms (0: a long safety time-out)
// has passed.
void rt_key_wait_idle(int32_t longest_ms = 0);
// The next key as 1 byte (a character) or 2 bytes (0 and a scan code); empty when
// no key is waiting or an error is pending.
rt_string* rt_inkey();
