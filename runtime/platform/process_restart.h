#pragma once
// Starting the running program afresh: for what a library reads only once, at its first
// use (OpenAL Soft's choice of output), a new start is the only way to choose again.

// Sets an environment variable of this process, which a new start inherits.
void platform_set_environment(const char* name, const char* value);
// Replaces this process with its executable run again with the same arguments and the
// environment as it is now. Returns only when that cannot be done.
void platform_start_again();
