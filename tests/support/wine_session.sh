# A throwaway Wine session for a test script (bash, sourced): a copy of a base prefix, an X
# server of its own and one persistent wineserver, all stopped, and the copy removed (unless
# KEEP=1), when the script exits, whatever happens. Sourcing it sets the EXIT/INT/TERM traps.
#
#   source tests/support/wine_session.sh
#   wine_session_start WORK [wow64]   the prefix WORK/prefix; exports WINEPREFIX, WINEDEBUG,
#                                     WINEDLLOVERRIDES and DISPLAY; "wow64" when 32-bit programs
#                                     will run (the base then needs the 32-bit system folder)
#   wine_session_track PID            a background process to end at exit, before the server
#
# The base prefix is $HW_WINE_BASE, else build/wine-base (made by scripts/test-all.sh), else
# WORK/../wine-base, made here once by cmake/wine-emulator.sh --init.

WINE_SESSION_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE_SESSION_PREFIX=""
WINE_SESSION_XVFB=""
WINE_SESSION_SERVER=""
WINE_SESSION_PIDS=()

wine_session_cleanup() {
    local rc=$? pid
    for pid in "${WINE_SESSION_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$WINE_SESSION_SERVER" ]; then
        WINEPREFIX="$WINE_SESSION_PREFIX" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$WINE_SESSION_PREFIX" timeout 30 wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$WINE_SESSION_XVFB" ]; then
        kill "$WINE_SESSION_XVFB" 2>/dev/null || true
        wait "$WINE_SESSION_XVFB" 2>/dev/null || true
    fi
    if [ "${KEEP:-0}" != 1 ] && [ -n "$WINE_SESSION_PREFIX" ]; then
        rm -rf "$WINE_SESSION_PREFIX"
    fi
    exit "$rc"
}
trap wine_session_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

wine_session_track() { WINE_SESSION_PIDS+=("$1"); }

# A base that can serve: a finished prefix, with the 32-bit system folder when asked for (a
# prefix made by a wine64-only install has an empty syswow64 folder).
wine_session_usable_base() {
    [ -f "$1/system.reg" ] &&
        { [ "$2" != wow64 ] || [ -f "$1/drive_c/windows/syswow64/kernel32.dll" ]; }
}

wine_session_start() {
    local work=$1 needs=${2:-} base
    mkdir -p "$work"
    work=$(cd "$work" && pwd)  # Wine wants an absolute prefix path
    base=${HW_WINE_BASE:-$WINE_SESSION_ROOT/build/wine-base}
    if ! wine_session_usable_base "$base" "$needs"; then
        base=$(dirname "$work")/wine-base
        if ! wine_session_usable_base "$base" "$needs"; then
            echo "# creating the base Wine prefix $base"
            rm -rf "$base" "$base.lock"
            env -u DISPLAY WINEPREFIX="$base" "$WINE_SESSION_ROOT/cmake/wine-emulator.sh" --init
            wine_session_usable_base "$base" "$needs" ||
                { echo "not ok - the base Wine prefix $base is created"; return 1; }
        fi
    fi
    # A real copy: wineserver rewrites the registry files in place.
    WINE_SESSION_PREFIX=$work/prefix
    rm -rf "$WINE_SESSION_PREFIX"
    cp -a "$base" "$WINE_SESSION_PREFIX"
    export WINEPREFIX=$WINE_SESSION_PREFIX WINEDEBUG=-all
    # No Mono or Gecko prompts; no shortcut copied into this machine's own desktop menus.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

    # Xvfb picks a free display and writes its number to descriptor 3.
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
        </dev/null >"$work/xvfb.log" 2>&1 &
    WINE_SESSION_XVFB=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "not ok - Xvfb starts (see $work/xvfb.log)"; return 1; }
    export DISPLAY=":$(head -1 "$work/display")"

    # One wineserver for the whole run (each Wine start is then quick); its descriptors are
    # closed, or a reader of the script's output would wait for it and for Wine's services.
    WINE_SESSION_SERVER=1
    wineserver -p </dev/null >/dev/null 2>&1
}
