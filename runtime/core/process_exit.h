#pragma once
// Ends the process with code after flushing the standard streams. Runtime threads may
// still be running, so no static destructors are run.
[[noreturn]] void rt_process_exit(int code);
