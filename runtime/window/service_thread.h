#pragma once
// The service thread: a pass every 16 ms keeps the tick count, builds display frames,
// checks the printer page and follows the lock keys; it also performs the shutdown.

void service_thread_body();

// The tick count of one pass, stored in low memory at 0x46C (three bytes, low first).
void service_update_tick_count();
