#!/usr/bin/env bash
# Runs a command (such as ctest in a Windows build) with a Wine of its own: a fresh
# prefix in a temporary folder, made once for the whole run, headless and quiet, and a
# Wine server kept up between the programs it starts. Removes the prefix afterwards.
set -euo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

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
# No display: windows are made on Wine's null graphics driver, which the desktop process
# takes when it starts, so the session starts again.
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
"$wineserver" -k
"$wineserver" -w
# One server for every program of the run, instead of one per program; Wine's own
# background programs (services, the desktop) start here, away from the output of the
# programs run later, which they would otherwise hold open as long as they run.
"$wineserver" -p
"$wine" wineboot </dev/null >/dev/null 2>&1
echo "with-wine: prefix ready in $((SECONDS - start)) s" >&2
"$@"
