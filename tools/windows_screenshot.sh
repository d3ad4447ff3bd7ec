#!/usr/bin/env bash
# Writes docs/windows_menu.png: the Windows build's window at the menu under Wine, with the
# title bar and frame Wine draws itself when no window manager takes its windows.
#
#     scripts/build-windows.sh && scripts/with-wine.sh --x11 tools/windows_screenshot.sh
set -euo pipefail
cd "$(dirname "$0")/.."
output=docs/windows_menu.png
display=:$((100 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
program=
finish() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    kill "$server" 2>/dev/null || true
}
trap finish EXIT
export DISPLAY=$display ALSOFT_DRIVERS=null
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Wine's desktop process starts with the first program and keeps its display: this one.
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine64 build/windows/mirvalentopraxius.exe </dev/null >/dev/null 2>&1 &
program=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --name '^Untitled$' 2>/dev/null | head -n 1 || true)
    [ -z "$window" ] || break
    sleep 0.2
done
[ -n "$window" ] || { echo "the calculator's window did not appear" >&2; exit 1; }
sleep 3 # the menu drawn
import -window "$window" -strip "PNG8:$output"
echo "wrote $output"
