#pragma once
// The calling thread's x87 unit computes long double with its full 64-bit mantissa.
// Elsewhere long double is what the compiler provides and there is nothing to set.
void platform_use_extended_precision();
