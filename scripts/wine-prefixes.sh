#!/usr/bin/env bash
# Makes a build tree's Wine prefixes before any test runs: the tree's own, then one for each
# variant named on the command line (de_DE, dpi144, ...), as scripts/wine-run.sh names them.
# A prefix holds over a gigabyte of Wine's libraries, the same in each; a variant shares them
# with the tree's prefix through hard links and has its own copy of everything else (the
# registry, which Wine rewrites in place, the settings files and the user folders).
# Run through the tree's emulator line, which passes the loader and the prefix.
# With --anew PATH, makes only the prefix PATH anew from the tree's, which must exist.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
base="${NORV_TREE_PREFIX:-$PWD/wineprefix}"
anew=""
if [ "${1:-}" = --anew ]; then
    anew="$2"
    shift 2
else
    base="${NORV_WINEPREFIX:-$base}"
    "$here/wine-run.sh" wineboot.exe --init
    # The registry is written when the server ends; the copies must see it whole. The server
    # is libwine's (wine64 brings it); /usr/bin/wineserver comes only with the optional wine
    # package.
    WINEPREFIX="$base" /usr/lib/wine/wineserver -w
fi

share_prefix() {
    local from="$1" to="$2" part="$2.part"
    rm -rf "$part"
    mkdir -p "$part"
    (
        cd "$from"
        find . -type d -print0 | (cd "$part" && xargs -0 mkdir -p)
        # Libraries, tables and themes are only ever read.
        find ./drive_c/windows -type f ! -iname '*.ini' ! -iname '*.log' -print0 |
            xargs -0 -r cp -l --parents -t "$part"
        find . -type f ! \( -path './drive_c/windows/*' ! -iname '*.ini' ! -iname '*.log' \) \
            -print0 | xargs -0 -r cp -p --parents -t "$part"
        find . -type l -print0 | xargs -0 -r cp -P --parents -t "$part"
    )
    mv -T "$part" "$to"
}

if [ -n "$anew" ]; then
    rm -rf "$anew"
    share_prefix "$base" "$anew"
    exit
fi
for variant in "$@"; do
    [ -e "$base-$variant" ] || share_prefix "$base" "$base-$variant"
done
