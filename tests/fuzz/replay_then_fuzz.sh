#!/bin/sh
# Usage: replay_then_fuzz.sh corpus-folder scratch-folder fuzzer [options...]
# Runs every input of the committed corpus once, then fuzzes with the options from an
# emptied scratch folder, the only folder the fuzzer writes to: the committed corpus is
# only read, and the replay does not eat into the random run's time.
set -eu
corpus=$1
scratch=$2
fuzzer=$3
shift 3
"$fuzzer" "$@" -runs=0 "$corpus"
rm -rf "$scratch"
mkdir -p "$scratch"
exec "$fuzzer" "$@" "$scratch"
