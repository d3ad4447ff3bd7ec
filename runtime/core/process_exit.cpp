#include "runtime/core/process_exit.h"

#include <unistd.h>

#include <cstdio>

void rt_process_exit(int code) {
    std::fflush(nullptr);
    _exit(code);
}
