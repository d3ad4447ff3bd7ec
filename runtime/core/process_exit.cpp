#include "runtime/core/process_exit.h"

#include <cstdio>
#include <cstdlib>

void rt_process_exit(int code) {
    std::fflush(nullptr);
    std::_Exit(code);
}
