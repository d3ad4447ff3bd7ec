#include "runtime/platform/heap.h"

#include <malloc.h>

void platform_trim_heap() {
    _heapmin();
}
