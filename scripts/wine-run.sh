#!/usr/bin/env bash
# Runs a Windows executable under 64-bit Wine; used as CMAKE_CROSSCOMPILING_EMULATOR
# by the mingw-x64 preset, and usable by hand:
#
#   scripts/wine-run.sh build/mingw-x64/tests/quillon_unit_tests.exe --gtest_filter=Foo.*
#
# * The Wine prefix lives in the build tree: $QL_WINE_PREFIX if set, otherwise
#   <build dir>/wineprefix, where <build dir> is the nearest parent directory
#   of the executable holding a CMakeCache.txt. It is created headless on first
#   use (under flock, so parallel runs do not race).
# * The program's stdout/stderr go to files which are printed after it exits:
#   CTest reads output through a pipe, and Wine's background processes
#   (wineserver, services) would otherwise keep that pipe open and hang CTest.
#   For the same reason wineserver is started explicitly with its output
#   redirected before the program runs.
# * Exits with the program's exit code.
# * Stop the prefix's processes afterwards with scripts/wine-run.sh --stop <exe
#   or build dir>, or WINEPREFIX=<prefix> /usr/lib/wine/wineserver -k.
#
# Environment: QL_WINE_PREFIX, QL_WINE_TIMEOUT (seconds, default 1800),
# QL_WINEDEBUG (default -all).
set -uo pipefail

die() {
    echo "wine-run: $*" >&2
    exit 125
}

find_tool() {
    # $1: name under /usr/lib/wine, $2...: fallbacks in PATH
    local name=$1
    shift
    if [ -x "/usr/lib/wine/$name" ]; then
        echo "/usr/lib/wine/$name"
        return 0
    fi
    local c
    for c in "$@"; do
        if command -v "$c" >/dev/null 2>&1; then
            command -v "$c"
            return 0
        fi
    done
    return 1
}

LOADER=$(find_tool wine64 wine64 wine) || die "no 64-bit Wine loader found (install wine64)"
SERVER=$(find_tool wineserver wineserver) || die "wineserver not found"

# Resolves the prefix for an executable or build directory given as $1.
resolve_prefix() {
    if [ -n "${QL_WINE_PREFIX:-}" ]; then
        echo "$QL_WINE_PREFIX"
        return 0
    fi
    local dir
    if [ -d "$1" ]; then dir=$(cd "$1" && pwd); else dir=$(cd "$(dirname "$1")" && pwd); fi
    while [ "$dir" != "/" ]; do
        if [ -f "$dir/CMakeCache.txt" ]; then
            echo "$dir/wineprefix"
            return 0
        fi
        dir=$(dirname "$dir")
    done
    return 1
}

if [ "${1:-}" = "--stop" ]; then
    [ $# -ge 2 ] || die "usage: wine-run.sh --stop <exe or build dir>"
    PREFIX=$(resolve_prefix "$2") || die "cannot determine the Wine prefix for $2"
    if [ -d "$PREFIX" ]; then
        WINEPREFIX="$PREFIX" "$SERVER" -k </dev/null >/dev/null 2>&1 || true
    fi
    exit 0
fi

[ $# -ge 1 ] || die "usage: wine-run.sh <program.exe> [args...]"
EXE=$1
shift
[ -f "$EXE" ] || die "no such program: $EXE"
EXE=$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")

PREFIX=$(resolve_prefix "$EXE") || die "cannot determine the Wine prefix (set QL_WINE_PREFIX)"
mkdir -p "$(dirname "$PREFIX")"
PREFIX=$(cd "$(dirname "$PREFIX")" && pwd)/$(basename "$PREFIX")

export WINEPREFIX="$PREFIX"
export WINEARCH=win64
export WINEDEBUG="${QL_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

LOGDIR="$PREFIX.logs"
mkdir -p "$LOGDIR"

# First use: create the prefix. fd 9 holds the lock; Wine processes must not
# inherit it (9>&-), or a lingering wineserver would hold the lock forever.
(
    flock 9 || exit 1
    if [ ! -f "$PREFIX/.quillon-ready" ]; then
        echo "wine-run: creating Wine prefix $PREFIX" >&2
        rm -rf "$PREFIX"
        "$LOADER" wineboot --init </dev/null >"$LOGDIR/wineboot.log" 2>&1 9>&-
        "$SERVER" -w </dev/null >>"$LOGDIR/wineboot.log" 2>&1 9>&-
        if [ ! -f "$PREFIX/system.reg" ]; then
            echo "wine-run: prefix creation failed, log follows" >&2
            cat "$LOGDIR/wineboot.log" >&2
            exit 1
        fi
        touch "$PREFIX/.quillon-ready"
    fi
) 9>"$PREFIX.lock" || die "could not create the Wine prefix"

# Start (or reuse) the wineserver with no tie to our stdout/stderr. It exits
# by itself a few seconds after its last client.
"$SERVER" -p5 </dev/null >>"$LOGDIR/wineserver.log" 2>&1

OUT=$(mktemp "$LOGDIR/run.XXXXXX")
ERR="$OUT.stderr"
OUT_STDOUT="$OUT.stdout"
rm -f "$OUT"

child=""
# shellcheck disable=SC2317  # invoked through trap
on_signal() {
    if [ -n "$child" ]; then kill -TERM "$child" 2>/dev/null; fi
    cat "$OUT_STDOUT" 2>/dev/null
    cat "$ERR" >&2 2>/dev/null
    rm -f "$OUT_STDOUT" "$ERR"
    exit 143
}
trap on_signal TERM INT HUP

timeout --kill-after=15 "${QL_WINE_TIMEOUT:-1800}" \
    "$LOADER" "$EXE" "$@" </dev/null >"$OUT_STDOUT" 2>"$ERR" &
child=$!
wait "$child"
rc=$?
child=""

cat "$OUT_STDOUT"
cat "$ERR" >&2
rm -f "$OUT_STDOUT" "$ERR"
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "wine-run: $EXE timed out after ${QL_WINE_TIMEOUT:-1800} s" >&2
fi
exit "$rc"
