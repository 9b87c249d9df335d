#!/bin/bash
# Fails when a source file includes a header of a folder above its own.
# The layers, lowest first; each may include only from its own folder and those below.
layers=(base store render engine control)
root=${1:-$(dirname "$0")/../src}

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && echo "$i" && return
    done
    echo -1
}

status=0
for dir in "${layers[@]}"; do
    own=$(rank "$dir")
    while IFS=: read -r file line text; do
        path=$(sed -E 's/.*#include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
        # Resolve relative paths against the including file's folder.
        [[ $path == ../* ]] && path=$(realpath -m --relative-to="$root" "$(dirname "$file")/$path")
        target=$(rank "${path%%/*}")
        if ((target > own)); then
            echo "$file:$line: $dir includes from ${path%%/*}: $path" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$dir" \
                 --include='*.h' --include='*.cpp' --include='*.c' --include='*.idl')
done
exit $status
