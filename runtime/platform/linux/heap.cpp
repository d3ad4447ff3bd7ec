#include "runtime/platform/heap.h"

#include <malloc.h>

void platform_trim_heap() {
    malloc_trim(0);
}
