#!/usr/bin/env bash
# Installs the Debian packages that are missing for building (with "windows", for the
# Windows cross-build; with "test", for testing, the Windows stage included). Uses apt-get
# as root, or through sudo.
set -euo pipefail

packages=(cmake g++ make pkg-config googletest libgtest-dev freeglut3-dev libgl1-mesa-dev
          libglu1-mesa-dev libgl1-mesa-dri libx11-dev libopenal-dev libcups2-dev libfreetype-dev)
# The cross compilers (posix thread model), Wine to run the Windows tests and NSIS for
# the installer.
windows_packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xz-utils nsis)
if [ "${1:-}" = "windows" ]; then
    packages+=("${windows_packages[@]}")
fi
if [ "${1:-}" = "test" ]; then
    packages+=("${windows_packages[@]}")
    packages+=(clang libclang-rt-14-dev xvfb xdotool x11-utils imagemagick xauth
              g++-aarch64-linux-gnu cups-daemon cups-client cups-core-drivers cups-filters
              printer-driver-cups-pdf ghostscript fonts-dejavu-core
              desktop-file-utils lintian dpkg-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
