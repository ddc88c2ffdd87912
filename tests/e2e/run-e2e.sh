#!/usr/bin/env bash
# Runs the main window's end-to-end test: HivewardenGui.exe driven by hw_e2e_driver.exe under
# Wine, in a throwaway copy of a base prefix, on an X server of its own (Xvfb), with
# screenshots taken whenever the driver asks for one. Prints the driver's check lines.
#
#   tests/e2e/run-e2e.sh [--app EXE] [--driver EXE] [--shots DIR] [--work DIR] [--only NAME[,NAME]]
#
# Defaults: the executables of build-e2e-win64 (or $HW_E2E_BUILD), screenshots into $SHOTS or
# docs/screenshots, work files under the build's tests/e2e/run. The base prefix is
# $HW_WINE_BASE, else build/wine-base (made by scripts/test-all.sh), else one made here once.
# KEEP=1 keeps the run's prefix. Whatever happens, the run's wineserver and Xvfb are stopped.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${HW_E2E_BUILD:-$ROOT/build-e2e-win64}
APP=$BUILD/src/ui/HivewardenGui.exe
DRIVER=$BUILD/tests/e2e/hw_e2e_driver.exe
SHOTS=${SHOTS:-$ROOT/docs/screenshots}
WORK=$BUILD/tests/e2e/run
ONLY=""
DRIVER_TIMEOUT=170

while [ $# -gt 0 ]; do
    case "$1" in
        --app) APP=$2 ;;
        --driver) DRIVER=$2 ;;
        --shots) SHOTS=$2 ;;
        --work) WORK=$2 ;;
        --only) ONLY=$2 ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done

START_MS=$(($(date +%s%N) / 1000000))
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=wine
PREFIX=$WORK/prefix
XVFB_PID=""
SHOOTER_PID=""
SERVER_UP=""

cleanup() {
    local rc=$?
    if [ -n "$SHOOTER_PID" ]; then
        kill "$SHOOTER_PID" 2>/dev/null || true
        wait "$SHOOTER_PID" 2>/dev/null || true
    fi
    if [ -n "$SERVER_UP" ]; then
        WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX="$PREFIX" timeout 30 wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    [ "${KEEP:-0}" = 1 ] || rm -rf "$PREFIX"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

for file in "$APP" "$DRIVER"; do
    [ -f "$file" ] || { echo "not ok - $file exists (build HivewardenGui, hw_e2e_driver)"; exit 1; }
done
mkdir -p "$WORK" "$SHOTS"
SHOTS=$(cd "$SHOTS" && pwd)
rm -rf "$PREFIX" "$WORK"/*.log "$SHOTS"/failure-*.png

# The base prefix: created once (wineboot takes 10-20 s), copied for every run, because
# wineserver rewrites its registry files in place.
BASE=${HW_WINE_BASE:-}
if [ -z "$BASE" ]; then
    BASE=$ROOT/build/wine-base
    [ -f "$BASE/system.reg" ] || BASE=$(dirname "$WORK")/wine-base
fi
if [ ! -f "$BASE/system.reg" ]; then
    echo "# creating the base Wine prefix $BASE"
    env -u DISPLAY WINEPREFIX="$BASE" "$ROOT/cmake/wine-emulator.sh" --init
    [ -f "$BASE/system.reg" ] || { echo "not ok - the base Wine prefix is created"; exit 1; }
fi
cp -a "$BASE" "$PREFIX"

export WINEPREFIX=$PREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# An X server of our own: the screenshots show only this run's windows.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" \
    </dev/null >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
done
[ -s "$WORK/display" ] || { echo "not ok - Xvfb starts (see $WORK/xvfb.log)"; exit 1; }
export DISPLAY=":$(head -1 "$WORK/display")"

# One persistent wineserver for the run; its fds closed, or a reader of our output would
# wait for it (and for Wine's services, which inherit them from the first wine process).
SERVER_UP=1
wineserver -p </dev/null >/dev/null 2>&1

# No window manager: unmanaged windows close without a 2 s wait; a crash ends the process
# instead of waiting behind the crash dialog. A restore hands a backup to the default action
# for .reg files, which a fresh prefix lacks: the registry editor's import, as on Windows.
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CLASSES_ROOT\.reg]' '@="regfile"' '' \
    '[HKEY_CLASSES_ROOT\regfile\shell\open\command]' \
    '@="\"C:\\windows\\regedit.exe\" \"%1\""' '' \
    >"$PREFIX/drive_c/e2e-settings.reg"
timeout 60 "$WINE" regedit /s 'C:\e2e-settings.reg' </dev/null >/dev/null 2>&1

# The program folder: the program and its definition files; backups are written here too.
APP_DIR=$PREFIX/drive_c/Hivewarden
mkdir -p "$APP_DIR" "$PREFIX/drive_c/e2e/exchange"
cp "$APP" "$APP_DIR/HivewardenGui.exe"
for definition in TrojanDef.ini TrojanLock.ini; do
    if [ -f "$(dirname "$APP")/$definition" ]; then
        cp "$(dirname "$APP")/$definition" "$APP_DIR/"
    else
        cp "$ROOT/data/$definition" "$APP_DIR/"
    fi
done
cp "$DRIVER" "$PREFIX/drive_c/e2e/hw_e2e_driver.exe"

# A screenshot of the whole screen. A root-window image alone shows new pop-ups (message
# boxes, the open-file dialog) as black rectangles here, so every viewable top-level window is
# read on its own and laid over the root image, from the bottom of the stack to the top.
capture_screen() {
    local out=$1 tmp=$WORK/capture id info x y w h layers=()
    rm -rf "$tmp"
    mkdir -p "$tmp"
    xwd -root -display "$DISPLAY" | convert xwd:- "png:$tmp/root.png" || return 1
    if ! command -v xwininfo >/dev/null; then  # x11-utils missing: the root image alone
        mv "$tmp/root.png" "$out"
        return 0
    fi
    # xwininfo lists the root's children from the top of the stack down.
    for id in $(xwininfo -display "$DISPLAY" -root -children |
        sed -nE 's/^ +(0x[0-9a-f]+) .*/\1/p'); do
        info=$(xwininfo -display "$DISPLAY" -id "$id" 2>/dev/null) || continue
        grep -q 'Map State: IsViewable' <<<"$info" || continue
        x=$(sed -nE 's/.*Absolute upper-left X: +(-?[0-9]+).*/\1/p' <<<"$info")
        y=$(sed -nE 's/.*Absolute upper-left Y: +(-?[0-9]+).*/\1/p' <<<"$info")
        w=$(sed -nE 's/.*Width: +([0-9]+).*/\1/p' <<<"$info")
        h=$(sed -nE 's/.*Height: +([0-9]+).*/\1/p' <<<"$info")
        # Skip 1x1 helper windows and anything moved off the screen.
        [ "$w" -gt 1 ] && [ "$h" -gt 1 ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] || continue
        xwd -display "$DISPLAY" -id "$id" 2>/dev/null | convert xwd:- "png:$tmp/$id.png" ||
            continue
        layers=("$tmp/$id.png" -geometry "+$x+$y" -composite "${layers[@]}")
    done
    convert "$tmp/root.png" "${layers[@]}" "png:$out"
}

# Screenshots on request: NAME.req in the exchange folder -> NAME.png, then NAME.done.
EXCHANGE=$PREFIX/drive_c/e2e/exchange
shoot_on_request() {
    local request name
    while :; do
        for request in "$EXCHANGE"/*.req; do
            [ -e "$request" ] || continue
            name=$(basename "$request" .req)
            capture_screen "$SHOTS/$name.png" || echo "screenshot $name failed"
            rm -f "$request"
            : >"$EXCHANGE/$name.done"
        done
        sleep 0.1
    done
}
shoot_on_request </dev/null >>"$WORK/shots.log" 2>&1 &
SHOOTER_PID=$!

ARGS=(--app 'C:\Hivewarden\HivewardenGui.exe' --shots 'C:\e2e\exchange')
[ -z "$ONLY" ] || ARGS+=(--only "$ONLY")
rc=0
# Output to files, never a pipe (see above).
timeout "$DRIVER_TIMEOUT" "$WINE" 'C:\e2e\hw_e2e_driver.exe' "${ARGS[@]}" \
    </dev/null >"$WORK/driver.log" 2>"$WORK/driver.err" || rc=$?
# Wine's console writes CR LF.
tr -d '\r' <"$WORK/driver.log" >"$WORK/checks.log"
cat "$WORK/checks.log"
if [ -s "$WORK/driver.err" ]; then
    echo "# driver stderr:"
    sed 's/^/#   /' "$WORK/driver.err"
fi
if ! grep -qE '^# e2e: [0-9]+ checks, 0 failed$' "$WORK/checks.log"; then
    [ "$rc" -ne 0 ] || rc=1
    [ "$rc" -ne 124 ] || echo "not ok - the driver ends within ${DRIVER_TIMEOUT} s"
    capture_screen "$SHOTS/failure-end.png" >/dev/null 2>&1 || true
fi
TOOK_MS=$(($(date +%s%N) / 1000000 - START_MS))
printf '# e2e run took %d.%d s; screenshots in %s\n' $((TOOK_MS / 1000)) $((TOOK_MS % 1000 / 100)) \
    "$SHOTS"
exit "$rc"
