#!/usr/bin/env bash
# Runs a command (such as ctest in a Windows build) with a Wine of its own: a fresh
# prefix in a temporary folder, made once for the whole run, headless and quiet, and a
# Wine server kept up between the programs it starts. Removes the prefix afterwards.
# With --x11 the programs get Wine's X11 graphics driver and the DISPLAY each of them is
# given (the end-to-end tests start an X server per test); otherwise no display at all.
set -euo pipefail
graphics=null
if [ "${1:-}" = "--x11" ]; then
    graphics=x11
    shift
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
# Debian keeps wine64 off the PATH; the command run here finds it by name.
PATH="$(dirname "$wine"):$PATH"

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/mirva-wine.XXXXXX")
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
# Never offer to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

finish() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap finish EXIT

start=$SECONDS
"$wineserver" -p
"$wine" wineboot -i </dev/null >/dev/null 2>&1
# The desktop process takes the graphics driver when it starts, so the session starts again.
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f </dev/null >/dev/null 2>&1
"$wineserver" -k
"$wineserver" -w
# One server for every program of the run, instead of one per program; Wine's own
# background programs (services, the desktop) start here, away from the output of the
# programs run later, which they would otherwise hold open as long as they run.
"$wineserver" -p
# With X11 the desktop process needs a display, so the first program's starts it.
[ "$graphics" = x11 ] || "$wine" wineboot </dev/null >/dev/null 2>&1
# The desktop process ends a moment after the last program on it, and the next program
# would start it again holding that program's output open, so that ctest waits for the
# output to end. An idle program keeps the desktop up for the whole run.
[ "$graphics" = x11 ] || "$wine" notepad </dev/null >/dev/null 2>&1 &
echo "with-wine: prefix ready in $((SECONDS - start)) s" >&2
"$@"
