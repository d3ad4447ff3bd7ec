#pragma once
// Gives the C heap's free memory back to the system; the heap keeps freed blocks for
// reuse, which after a change of screen leaves megabytes resident that nothing uses.
void platform_trim_heap();
