#include "runtime/platform/thread_name.h"

#include <pthread.h>

void rt_name_this_thread(const char* name) {
    pthread_setname_np(pthread_self(), name);
}
