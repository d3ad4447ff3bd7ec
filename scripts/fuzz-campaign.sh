#!/usr/bin/env bash
# A long fuzzing campaign, run by hand, one target at a time and at the lowest priority:
#   scripts/fuzz-campaign.sh fuzz_draw [runs, default 10000000]
# Builds the targets optimised, with the same sanitizers as the test build, fuzzes on from
# the committed corpus into a scratch folder, then merges what was found, minimised, back
# into tests/fuzz/corpus/TARGET. A finding stops the run and is left in build/campaign/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1
runs=${2:-10000000}
build=build/campaign
corpus=tests/fuzz/corpus/$target

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O2 -g" \
    -DMIRVA_WERROR=ON -DMIRVA_FUZZ=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target "$target"
fuzzer=$build/tests/fuzz/$target
work=$build/work/$target
mkdir -p "$work" "$corpus" "$build/findings"

nice -n 19 "$fuzzer" -runs="$runs" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$work" "$corpus"

# Only inputs that add coverage are kept: merged into a fresh folder that replaces the corpus.
merged=$build/merged/$target
rm -rf "$merged"
mkdir -p "$merged"
nice -n 19 "$fuzzer" -merge=1 -rss_limit_mb=4096 "$merged" "$corpus" "$work"
rm -rf "$corpus"
mv "$merged" "$corpus"
