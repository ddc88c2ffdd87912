#!/usr/bin/env bash
# Builds and tests everything from a fresh Debian 12 machine: installs what is missing, builds
# Linux, Windows x64 and Windows x86 (mingw-w64), runs the native tests, the Windows x64 tests
# and the Windows x86 tests (under Wine's WoW64, with wine32:i386) in throwaway prefixes. The
# last line reads "N passed, N failed".
#
#   scripts/test-all.sh          (from anywhere; builds go to build/linux, build/win64,
#                                 build/win32 under the repository)
#   HW_JOBS=4 scripts/test-all.sh
#   HW_BUILD_DIR=/elsewhere scripts/test-all.sh   (the three trees and the Wine base there)
#
# It never leaves a wineserver or an Xvfb running, whatever happens.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${HW_BUILD_DIR:-$ROOT/build}
JOBS=${HW_JOBS:-2}
PACKAGES=(
    cmake ninja-build g++ googletest libbenchmark-dev libcli11-dev nlohmann-json3-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 xvfb xdotool x11-apps x11-utils
    imagemagick clang libclang-rt-14-dev zip python3 wixl
    libhivex-dev libhivex-bin xz-utils  # hive files (hivex) and their xz test fixtures
    fonts-wqy-microhei  # CJK glyphs for the window's Chinese texts under Wine (e2e screenshots)
)
# A 32-bit .exe runs under Wine only with the 32-bit loader, from the i386 architecture (under
# a wine64-only install it exits 0 doing nothing).
FOREIGN_PACKAGES=(wine32:i386)
WINE_BASE="$BUILD/wine-base"          # created once, copied for every run
export HW_WINE_BASE="$WINE_BASE"      # the window's end-to-end test copies it too
# Each Windows build's run gets its own prefix (the build's default one).
WINE_PREFIXES=("$WINE_BASE" "$BUILD/win64/wineprefix" "$BUILD/win32/wineprefix")
XVFB_PID=""
CHILD_PID=""
NO_32BIT=""  # why 32-bit programs cannot run here (why_no_32bit), empty when they can
START=$(date +%s)

PASSED=0
FAILED=0
SUMMARY=()

note() { printf '\n==== %s\n' "$*"; }
elapsed() { local s=$(($(date +%s) - $1)); printf '%dm%02ds' $((s / 60)) $((s % 60)); }
record() { SUMMARY+=("$(printf '  %-16s %s' "$1" "$2")"); }

stop_wine_and_x() {
    local prefix
    for prefix in "${WINE_PREFIXES[@]}"; do
        [ -d "$prefix" ] || continue
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
    for prefix in "${WINE_PREFIXES[@]}"; do
        [ -d "$prefix" ] || continue
        WINEPREFIX="$prefix" timeout 30 wineserver -w >/dev/null 2>&1 || true
    done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
cleanup() {
    local rc=$?
    if [ -n "$CHILD_PID" ]; then
        kill "$CHILD_PID" 2>/dev/null || true
        wait "$CHILD_PID" 2>/dev/null || true
    fi
    stop_wine_and_x
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs a long command as a child and waits for it, so that an interrupt or a stop request is
# handled at once (bash runs traps only between foreground commands) and ends the child too.
run_child() {
    local rc=0
    "$@" &
    CHILD_PID=$!
    wait "$CHILD_PID" || rc=$?
    CHILD_PID=""
    return "$rc"
}

install_missing_packages() {
    note "Packages"
    local missing=() foreign=() p
    for p in "${PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
            missing+=("$p")
        fi
    done
    for p in "${FOREIGN_PACKAGES[@]}"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != installed ]; then
            foreign+=("$p")
        fi
    done
    local total=$((${#PACKAGES[@]} + ${#FOREIGN_PACKAGES[@]}))
    if [ ${#missing[@]} -eq 0 ] && [ ${#foreign[@]} -eq 0 ]; then
        echo "all $total packages are installed"
        record packages "all present"
        return 0
    fi
    echo "missing: ${missing[*]} ${foreign[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # The i386 packages need the architecture enabled before the package lists are read.
    if [ ${#foreign[@]} -ne 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    "${sudo[@]}" apt-get update
    if [ ${#missing[@]} -ne 0 ]; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    fi
    if [ ${#foreign[@]} -ne 0 ]; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y --no-install-recommends "${foreign[@]}"
    fi
    record packages "installed ${missing[*]} ${foreign[*]}"
}

# build NAME [cmake arguments...]: configure and build build/NAME; false on failure.
build() {
    local name=$1 t
    shift
    t=$(date +%s)
    note "Build $name"
    if run_child cmake -S "$ROOT" -B "$BUILD/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" &&
        run_child cmake --build "$BUILD/$name" -j "$JOBS"; then
        record "build $name" "ok ($(elapsed "$t"))"
        return 0
    fi
    record "build $name" "FAILED ($(elapsed "$t"))"
    FAILED=$((FAILED + 1))  # a build that fails counts as a failed test
    return 1
}

# run_ctest NAME LABEL [ctest arguments...]: runs ctest in build/NAME, adds its counts to
# PASSED/FAILED.
run_ctest() {
    local name=$1 label=$2 log="$BUILD/$1-ctest.log" t total failed rc=0
    shift 2
    t=$(date +%s)
    note "Tests $name ($label)"
    # Output to a file, never a pipe: a reader of a pipe would wait for Wine's services.
    run_child timeout 1200 ctest --test-dir "$BUILD/$name" -j "$JOBS" -V --timeout 900 "$@" \
        </dev/null >"$log" 2>&1 || rc=$?
    grep -E '^ *[0-9]+/[0-9]+ Test +#' "$log" || true
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
    if [ -z "$line" ]; then
        echo "ctest gave no result (exit $rc); last lines of $log:"
        tail -40 "$log"
        record "tests $name" "FAILED: no result (exit $rc, log $log)"
        FAILED=$((FAILED + 1))
        return 1
    fi
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    PASSED=$((PASSED + total - failed))
    FAILED=$((FAILED + failed))
    # The GoogleTest cases inside those ctest tests, for the summary.
    local ran gpassed skipped
    ran=$({ grep -oE '\[==========\] [0-9]+ tests? from .* ran' "$log" || true; } |
        awk '{ s += $2 } END { print s + 0 }')
    gpassed=$({ grep -oE '\[  PASSED  \] [0-9]+ test' "$log" || true; } |
        awk '{ s += $4 } END { print s + 0 }')
    skipped=$({ grep -oE '\[  SKIPPED \] [0-9]+ tests?,' "$log" || true; } |
        awk '{ s += $4 } END { print s + 0 }')
    local cases="$gpassed/$ran gtest cases passed"
    [ "$skipped" -eq 0 ] || cases+=" ($skipped skipped)"
    if [ "$failed" -ne 0 ] || [ "$rc" -ne 0 ]; then
        echo "---- failures (full log: $log)"
        { grep -E -A10 ': Failure$' "$log" || true; } | head -200
        { grep -E '\[  FAILED  \] [A-Za-z]|Test +#.*(Failed|Timeout|Not Run)' "$log" || true; } |
            awk '!seen[$0]++'
        record "tests $name" \
            "FAILED: $((total - failed))/$total passed; $cases ($(elapsed "$t"))"
        [ "$failed" -ne 0 ] || FAILED=$((FAILED + 1))
        return 1
    fi
    record "tests $name" "$total/$total passed; $cases ($(elapsed "$t"))"
}

# True when the base prefix can run 32-bit programs: made while the 32-bit loader was
# installed, so it has the 32-bit system folder.
# The 32-bit system folder must be filled, not only present (a base made before wine32 was
# installed has an empty one, and 32-bit programs then fail to start).
base_has_wow64() { [ -f "$WINE_BASE/drive_c/windows/syswow64/kernel32.dll" ]; }

# A fresh prefix for a run (build/NAME/wineprefix), copied from a base that is created once
# (wineboot: ~15-20 s), and again once the 32-bit loader has been installed.
fresh_wine_prefix() {
    local run="$BUILD/$1/wineprefix"
    if [ ! -f "$WINE_BASE/system.reg" ] || { [ -z "$NO_32BIT" ] && ! base_has_wow64; }; then
        rm -rf "$WINE_BASE" "$WINE_BASE.lock"
        echo "creating the base Wine prefix $WINE_BASE"
        env -u DISPLAY WINEPREFIX="$WINE_BASE" "$ROOT/cmake/wine-emulator.sh" --init
        [ -f "$WINE_BASE/system.reg" ] || { echo "wineboot failed"; return 1; }
    fi
    rm -rf "$run" "$run.lock"
    cp -a "$WINE_BASE" "$run"  # a real copy: Wine rewrites its *.reg files in place
}

# An X server of our own for anything that opens a window; Xvfb picks a free display.
start_xvfb() {
    local displayFile="$BUILD/xvfb.display"
    rm -f "$displayFile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayFile" \
        </dev/null >"$BUILD/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$displayFile" ] && break
        sleep 0.1
    done
    [ -s "$displayFile" ] || { echo "Xvfb did not start (see $BUILD/xvfb.log)"; return 1; }
    DISPLAY=":$(head -1 "$displayFile")"
    export DISPLAY
    echo "Xvfb on $DISPLAY"
}

# run_wine_tests NAME LABEL [ctest arguments...]: the Windows build NAME's tests under Wine,
# in a fresh prefix of its own, with an X server of its own; both stopped afterwards.
run_wine_tests() {
    local name=$1 label=$2 t
    shift 2
    note "Wine prefix for $name"
    t=$(date +%s)
    if ! fresh_wine_prefix "$name" || ! start_xvfb; then
        record "tests $name" "FAILED: no Wine prefix or no X server"
        FAILED=$((FAILED + 1))
        stop_wine_and_x
        return 1
    fi
    echo "prefix ready in $(elapsed "$t")"
    WINEPREFIX="$BUILD/$name/wineprefix" run_ctest "$name" "$label" "$@" || true
    stop_wine_and_x
}

# The Wine prefix backend against live Wine: the native scan of a prefix's files reports what
# the live scan under Wine reports; clean and restore are seen by Wine afterwards.
run_wine_prefix_differential() {
    local log="$BUILD/wine-prefix.log"
    note "Wine prefix: native scan against the live scan under Wine"
    if run_child "$ROOT/tests/wine/prefix_differential.sh" "$BUILD/linux/src/cli/hivewarden" \
        "$BUILD/win64/src/cli/hivewarden.exe" >"$log" 2>&1; then
        PASSED=$((PASSED + 1))
        record "wine prefix" ok
    else
        FAILED=$((FAILED + 1))
        record "wine prefix" "FAILED (log $log)"
        cat "$log"
        return 1
    fi
}

# Empty when this machine can execute Wine's 32-bit loader; otherwise why not, on one line.
# Some kernels refuse 32-bit programs altogether ("Exec format error") although wine32:i386
# installs; the x86 build is then made but cannot be run.
why_no_32bit() {
    local rc=0
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "no 32-bit Wine loader (wine32:i386)"
        return
    fi
    /usr/lib/wine/wine --version >/dev/null 2>&1 || rc=$?
    case $rc in
        0) ;;
        126) echo "this machine cannot execute 32-bit programs (/usr/lib/wine/wine: Exec format error)" ;;
        *) echo "Wine's 32-bit loader does not start (/usr/lib/wine/wine --version: exit $rc)" ;;
    esac
}

main() {
    mkdir -p "$BUILD"
    install_missing_packages
    NO_32BIT=$(why_no_32bit)
    if build linux; then run_ctest linux native || true; fi
    if build win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake"; then
        run_wine_tests win64 "under Wine" || true
        run_wine_prefix_differential || true
    fi
    if build win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake"; then
        local no32=$NO_32BIT
        if [ -z "$no32" ]; then
            run_wine_tests win32 "under Wine's WoW64" || true
        elif [ -x /usr/lib/wine/wine ]; then
            # The loader is installed and refused by the kernel: a fact of this machine, not
            # a fault of the build.
            note "Tests win32 skipped"
            echo "$no32"
            record "tests win32" "SKIPPED: $no32"
        else
            record "tests win32" "FAILED: $no32"
            FAILED=$((FAILED + 1))
        fi
    fi

    note "Summary"
    printf '%s\n' "${SUMMARY[@]}"
    printf '  %-16s %s\n' "total time" "$(elapsed "$START")"
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}

main "$@"
