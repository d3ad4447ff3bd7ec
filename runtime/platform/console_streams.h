#pragma once
// Standard output and error reach the console the program was started from. A windowed
// Windows program has no console of its own, so its messages (--help, --version, the
// copies of error boxes) would otherwise go nowhere; a terminal's streams need nothing.
void platform_connect_console_streams();
