#!/usr/bin/env bash
# Runs every check of the project: the include layering, formatting, then for
# each preset configure, build and test. With step names as arguments only
# those steps run ("layers" names the layering check, "format" the formatting
# check).
#
#   scripts/test.sh                       # everything
#   scripts/test.sh linux-asan mingw-x64  # a subset
#
# Checks:  layers      scripts/check_layers.py (the include layering of src/)
#                      and the generator's unit tests (codegen/test_*.py)
#          ratio       hand-written test lines against code lines, per component
#          format      clang-format-14 --dry-run --Werror on every C++ file
#
# Presets: linux-asan  every unit test + fuzzers (ASan/UBSan/LSan, clang)
#          linux-tsan  the tests of threaded code (TSan, clang)
#          linux       g++ Release: library and benchmarks (built, not run)
#          mingw-x64   Windows x64 cross build: hand-written unit tests and the
#                      generated tests of one family, under Wine
#          mingw-i686  Windows x86 cross build, DLL imports/exports checked
#
# Environment: QL_FUZZ_SECONDS  seconds per fuzzer (default: the CMake cache, 60)
#              QL_JOBS          build/test parallelism (default 2)
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT" || exit 2

JOBS=${QL_JOBS:-2}
ALL_STEPS=(layers ratio format linux-asan linux-tsan linux mingw-x64 mingw-i686)

if [ $# -gt 0 ]; then
    STEPS=("$@")
    for s in "${STEPS[@]}"; do
        case " ${ALL_STEPS[*]} " in
            *" $s "*) ;;
            *)
                echo "unknown step '$s' (known: ${ALL_STEPS[*]})" >&2
                exit 2
                ;;
        esac
    done
else
    STEPS=("${ALL_STEPS[@]}")
fi

SUMMARY=()
FAILED=0
TESTS_PASSED=0
TESTS_FAILED=0
START_ALL=$(date +%s)

banner() {
    echo
    echo "=================================================================="
    echo "== $*"
    echo "=================================================================="
}

record() {
    # record <name> <status> <seconds> [detail]
    SUMMARY+=("$(printf '%-12s %-5s %5ss  %s' "$1" "$2" "$3" "${4:-}")")
    if [ "$2" != "PASS" ]; then FAILED=1; fi
}

# Adds the counts of a CTest JUnit report to the totals; sets CTEST_DETAIL.
count_junit() {
    local file=$1 tests failures
    [ -f "$file" ] || return 0
    # The first tests=/failures= attributes belong to the <testsuite> element.
    tests=$(grep -o 'tests="[0-9]*"' "$file" | head -1 | tr -dc '0-9')
    failures=$(grep -o 'failures="[0-9]*"' "$file" | head -1 | tr -dc '0-9')
    tests=${tests:-0}
    failures=${failures:-0}
    TESTS_PASSED=$((TESTS_PASSED + tests - failures))
    TESTS_FAILED=$((TESTS_FAILED + failures))
    CTEST_DETAIL="$((tests - failures))/$tests tests passed"
}

configure_and_build() {
    local preset=$1
    local extra=()
    if [ -n "${QL_FUZZ_SECONDS:-}" ] && [ "$preset" = linux-asan ]; then
        extra+=("-DQL_FUZZ_SECONDS=$QL_FUZZ_SECONDS")
    fi
    cmake --preset "$preset" "${extra[@]}" || return 1
    cmake --build --preset "$preset" -j "$JOBS" || return 1
}

run_ctest() {
    local preset=$1
    local junit="$ROOT/build/$preset/ctest-junit.xml"
    rm -f "$junit"
    ctest --preset "$preset" -j "$JOBS" --output-junit "$junit"
    local rc=$?
    count_junit "$junit"
    return $rc
}

step_layers() {
    local rc=0
    python3 scripts/check_layers.py || rc=1
    python3 -m unittest discover -s codegen -p 'test_*.py' || rc=1
    return $rc
}

step_format() {
    local cf
    cf=$(command -v clang-format-14 || command -v clang-format) || {
        echo "clang-format-14 not found"
        return 1
    }
    local files=()
    local d
    for d in src tests tools; do
        [ -d "$d" ] || continue
        while IFS= read -r -d '' f; do files+=("$f"); done < <(
            find "$d" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
    done
    for f in *.cpp *.h; do
        [ -f "$f" ] && files+=("$f")
    done
    if [ "${#files[@]}" -eq 0 ]; then
        echo "no C++ files to check"
        return 0
    fi
    echo "checking ${#files[@]} files with $cf"
    "$cf" --dry-run --Werror "${files[@]}"
}

step_linux_asan() {
    configure_and_build linux-asan && run_ctest linux-asan
}

step_linux_tsan() {
    configure_and_build linux-tsan && run_ctest linux-tsan
}

step_linux() {
    configure_and_build linux
}

RATIO_REPORT=""
step_ratio() {
    local rc
    # Hand-written tests stay at most half the hand-written code.
    RATIO_REPORT=$(python3 scripts/test_ratio.py --max 0.5)
    rc=$?
    echo "$RATIO_REPORT"
    return $rc
}

stop_wine() {
    local prefix="$ROOT/build/mingw-x64/wineprefix"
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
    fi
}

step_mingw_x64() {
    trap stop_wine EXIT
    local rc=0
    if configure_and_build mingw-x64; then
        run_ctest mingw-x64 || rc=1
    else
        rc=1
    fi
    stop_wine
    trap - EXIT
    if [ -f "$ROOT/build/mingw-x64/quillon.dll" ]; then
        check_dll "$ROOT/build/mingw-x64/quillon.dll" x86_64-w64-mingw32-objdump || rc=1
    fi
    return $rc
}

step_mingw_i686() {
    configure_and_build mingw-i686 || return 1
    local dll="$ROOT/build/mingw-i686/quillon.dll"
    [ -f "$dll" ] || {
        echo "missing $dll"
        return 1
    }
    check_dll "$dll" i686-w64-mingw32-objdump
}

# Prints a DLL's exports and imported DLLs; fails if it depends on MinGW
# runtime DLLs (everything must be linked statically).
check_dll() {
    local dll=$1 objdump=$2 dump
    dump=$("$objdump" -p "$dll") || return 1
    local exports count
    exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
    count=$(echo "$exports" | grep -c . || true)
    echo "--- exports of $(basename "$dll"): $count"
    echo "$exports" | head -n 40 | sed 's/^/    /'
    if [ "$count" -gt 40 ]; then echo "    ... ($((count - 40)) more)"; fi
    echo "--- imported DLLs"
    echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p'
    if echo "$dump" | grep -Eiq 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)'; then
        echo "ERROR: $(basename "$dll") imports MinGW runtime DLLs"
        return 1
    fi
    # The type library: resource TYPELIB, id 1. (grep -c reads to the end:
    # with pipefail an early-exiting grep -q would fail the pipeline.)
    local headers typelibs
    headers=$("$objdump" -x "$dll") || return 1
    typelibs=$(grep -A2 'name: .*TYPELIB' <<<"$headers" | grep -c 'Entry: ID: 0x000001' || true)
    if [ "$typelibs" -gt 0 ]; then
        echo "--- resource TYPELIB 1 present"
    else
        echo "ERROR: $(basename "$dll") carries no resource TYPELIB 1"
        return 1
    fi
}

for step in "${STEPS[@]}"; do
    banner "$step"
    t0=$(date +%s)
    CTEST_DETAIL=""
    case $step in
        layers) step_layers ;;
        ratio) step_ratio ;;
        format) step_format ;;
        linux-asan) step_linux_asan ;;
        linux-tsan) step_linux_tsan ;;
        linux) step_linux ;;
        mingw-x64) step_mingw_x64 ;;
        mingw-i686) step_mingw_i686 ;;
    esac
    rc=$?
    t1=$(date +%s)
    if [ $rc -eq 0 ]; then
        record "$step" PASS $((t1 - t0)) "$CTEST_DETAIL"
    else
        record "$step" FAIL $((t1 - t0)) "$CTEST_DETAIL"
    fi
done

END_ALL=$(date +%s)
banner "summary ($((END_ALL - START_ALL)) s)"
for line in "${SUMMARY[@]}"; do echo "$line"; done
if [ -n "$RATIO_REPORT" ]; then
    echo
    echo "hand-written test lines per code line:"
    echo "$RATIO_REPORT" | sed 's/^/    /'
fi
echo
if [ $FAILED -ne 0 ]; then
    echo "RESULT: FAILED"
else
    echo "RESULT: OK"
fi
echo "ctest: $TESTS_PASSED passed, $TESTS_FAILED failed"
exit $FAILED
