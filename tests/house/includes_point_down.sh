#!/usr/bin/env bash
# Every quoted include in app/ and runtime/ points down the layer order that CONTRIBUTING.md
# gives; a host folder is reached only from a host folder, and app/ reaches the runtime only
# through runtime/runtime.h. Lists every offender.
set -euo pipefail
cd "$1"
declare -A rank=([runtime/platform]=0 [runtime/core]=1 [runtime/screen]=2 [runtime/printer]=3
    [runtime/sound]=3 [runtime/window]=4 [runtime/console]=5 [runtime]=6 [app]=7
    [runtime/platform/x11]=host [runtime/platform/linux]=host [runtime/platform/windows]=host)

allowed() { # from-folder to-folder
    local from=$1 to=$2
    [[ $from == "$to" ]] && return 0
    if [[ ${rank[$to]} == host ]]; then [[ ${rank[$from]} == host ]]; return; fi
    if [[ ${rank[$from]} == host ]]; then [[ $to == runtime/platform ]]; return; fi
    ((${rank[$to]} < ${rank[$from]}))
}

status=0
while IFS= read -r file; do
    from=$(dirname "$file")
    if [[ ! -v rank[$from] ]]; then
        echo "$file: its folder is not in the layer order"
        status=1
        continue
    fi
    while IFS= read -r include; do
        to=$(dirname "$include")
        if [[ ! -v rank[$to] ]]; then
            echo "$file: includes \"$include\" from a folder not in the layer order"
            status=1
        elif [[ $from == app && $include == runtime/* && $include != runtime/runtime.h ]]; then
            echo "$file: includes \"$include\" instead of runtime/runtime.h"
            status=1
        elif ! allowed "$from" "$to"; then
            echo "$file: includes \"$include\", which points up"
            status=1
        fi
    done < <(sed -n 's/^#include "\(.*\)".*/\1/p' "$file")
done < <(find app runtime -name '*.cpp' -o -name '*.h' | sort)
exit $status
