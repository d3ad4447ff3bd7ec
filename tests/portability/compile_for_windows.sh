#!/usr/bin/env bash
# Compiles (without linking) the calculator and the runtime folders a Windows build takes
# with another Windows compiler, such as the 32-bit one: the program's home was 32-bit
# Windows, and it must still build there.
# Arguments: compiler, source folder, runtime folders (one argument, space-separated), the
# version (which --version prints), then the include folders of freeglut, OpenAL Soft and
# FreeType.
set -euo pipefail
shopt -s nullglob
compiler=$1
source_dir=$2
read -r -a folders <<<"$3"
version=$4
shift 4
includes=(-I"$source_dir")
for dir in "$@"; do
    includes+=(-I"$dir")
done

files=("$source_dir"/app/*.cpp)
for folder in "${folders[@]}"; do
    files+=("$source_dir"/runtime/"$folder"/*.cpp)
done
# 32-bit Windows has required SSE2 since Windows 8, as the 64-bit build assumes it.
printf '%s\0' "${files[@]}" |
    xargs -0 -P 2 -n 1 "$compiler" -std=c++20 -Wall -Wextra -Werror -msse2 "${includes[@]}" \
        -DMIRVA_VERSION="\"$version\"" \
        -c -o /dev/null
