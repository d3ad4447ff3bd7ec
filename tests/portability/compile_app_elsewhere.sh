#!/usr/bin/env bash
# Compiles (without linking) the calculator's own folder with a cross compiler for a
# machine without the x87 unit: the application must not depend on it.
set -euo pipefail
compiler=$1
source_dir=$2
for file in "$source_dir"/app/*.cpp; do
    "$compiler" -std=c++20 -Wall -Wextra -Werror -I"$source_dir" -c "$file" -o /dev/null
done
