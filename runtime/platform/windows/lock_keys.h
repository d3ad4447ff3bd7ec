#pragma once
// Window thread, as its input arrives: takes the lock keys' states as the window's input
// sees them, for the threads that ask later (their own input state never changes).
void windows_note_lock_states();
