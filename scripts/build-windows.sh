#!/usr/bin/env bash
# Builds the calculator as a native 64-bit Windows program on Debian: installs what is
# missing, cross-builds freeglut, OpenAL Soft and FreeType once (scripts/windows-deps.sh)
# and leaves build/windows/mirvalentopraxius.exe with the DLLs it loads beside it, the
# installer mirvalentopraxius-<version>-win64.exe and the portable archive (.zip) beside it.
# With --tests it builds the test suites too, with warnings as errors, in build/windows-test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
deps=$(scripts/windows-deps.sh)

build=build/windows
settings=(-DCMAKE_BUILD_TYPE=Release -DMIRVA_TESTS=OFF)
if [ "${1:-}" = "--tests" ]; then
    build=build/windows-test
    settings=(-DCMAKE_BUILD_TYPE=Release -DMIRVA_WERROR=ON -DMIRVA_TESTS=ON)
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DMIRVA_WINDOWS_DEPS="$deps" "${settings[@]}" >/dev/null
nice cmake --build "$build" -j"$(nproc)"
if [ "$build" = build/windows ]; then
    (cd "$build" && nice cpack >/dev/null)
    echo "Built $build/mirvalentopraxius.exe and, in $build, the installer and portable archive"
fi
