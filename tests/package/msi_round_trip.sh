#!/usr/bin/env bash
# Installs the Windows Installer package under Wine in a throwaway prefix, uses what it
# installed (the command line makes a backup, the window starts and writes its start-up entry),
# uninstalls it and checks that everything it installed is gone with the start-up entry, while
# the user's backup and Ignore.ini stay untouched. Prints one "ok - " or "not ok - " line per check.
#
#   tests/package/msi_round_trip.sh --msi FILE.msi --arch win64|win32 --version X.Y.Z
#                                   --data DIR (the shipped definitions) --work DIR
#
# The prefix, X server and wineserver come from tests/support/wine_session.sh (base prefix
# $HW_WINE_BASE or build/wine-base; KEEP=1 keeps the run's prefix): whatever happens, the
# run's wineserver and Xvfb are stopped.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MSI="" ARCH="" VERSION="" DATA="" WORK=""
while [ $# -gt 0 ]; do
    case "$1" in
        --msi) MSI=$2 ;;
        --arch) ARCH=$2 ;;
        --version) VERSION=$2 ;;
        --data) DATA=$2 ;;
        --work) WORK=$2 ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
for arg in MSI ARCH VERSION DATA WORK; do
    [ -n "${!arg}" ] || { echo "not ok - --${arg,,} is given"; exit 2; }
done

PRODUCT="Kestovar Hivewarden"
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
SYSTEM_WINE=/usr/lib/wine/wine64  # msiexec and reg.exe: the system's own, 64-bit tools
if [ "$ARCH" = win32 ]; then
    PROGRAM_WINE=/usr/lib/wine/wine  # the x86 programs run under WoW64
    PACKAGE_BITS=32
    PROGRAM_FILES="Program Files (x86)"
    OTHER_PROGRAM_FILES="Program Files"
else
    PROGRAM_WINE=/usr/lib/wine/wine64
    PACKAGE_BITS=64
    PROGRAM_FILES="Program Files"
    OTHER_PROGRAM_FILES="Program Files (x86)"
fi
INSTALL_DIR="C:\\$PROGRAM_FILES\\$PRODUCT"
APP_PID=""
FAILURES=0
START=$(date +%s)

source "$ROOT/tests/support/wine_session.sh"  # its traps stop everything at exit
trap 'echo "not ok - line $LINENO: \"$BASH_COMMAND\" failed"' ERR

pass() { echo "ok - $* [$(($(date +%s) - START)) s]"; }
fail() { echo "not ok - $* [$(($(date +%s) - START)) s]"; FAILURES=$((FAILURES + 1)); }
# check DESCRIPTION COMMAND...: one check line from a command's success.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

[ -f "$MSI" ] || { echo "not ok - $MSI exists (build the hw_msi target)"; exit 1; }
[ -x "$PROGRAM_WINE" ] || { echo "not ok - the Wine loader $PROGRAM_WINE is installed"; exit 1; }
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
rm -rf "$WORK"/*.log "$WORK"/*.png
# The x86 package's programs need the 32-bit system folder.
wine_session_start "$WORK" "$([ "$ARCH" = win32 ] && echo wow64 || true)"
PREFIX=$WINEPREFIX

# wine_run LOG LOADER PROGRAM ARGS...: runs a Windows program, its output (CR LF dropped) into
# LOG, and returns its exit code.
wine_run() {
    local log=$1 loader=$2 rc=0
    shift 2
    timeout 120 "$loader" "$@" </dev/null >"$log.raw" 2>&1 || rc=$?
    tr -d '\r' <"$log.raw" >"$log"
    rm -f "$log.raw"
    return "$rc"
}
# A value's line in reg.exe's output: "    NAME    REG_TYPE    DATA".
VALUE_AWK='
    function valuename(line) {
        sub(/^ +/, "", line)
        return substr(line, 1, index(line, "    REG_") - 1)
    }
    function valuedata(line,  rest) {
        rest = substr(line, index(line, "    REG_") + 4)
        return index(rest, "    ") ? substr(rest, index(rest, "    ") + 4) : ""
    }'
# reg_data KEY NAME: the data of one value in the native registry view ("" when it is absent).
reg_data() {
    wine_run "$WORK/reg.log" "$SYSTEM_WINE" reg query "$1" /v "$2" /reg:64 || true
    awk -v name="$2" "$VALUE_AWK"'
        valuename($0) == name { print valuedata($0) }' "$WORK/reg.log"
}
# uninstall_entry: the Uninstall subkey whose DisplayName is the product's, in the package's own
# registry view (Windows Installer lists a 32-bit product in the 32-bit view); its values stay
# in uninstall-keys.log for entry_data.
uninstall_entry() {
    wine_run "$WORK/uninstall-keys.log" "$SYSTEM_WINE" reg query "$UNINSTALL_KEY" /s \
        "/reg:$PACKAGE_BITS" || true
    awk -v name="$PRODUCT" "$VALUE_AWK"'
        /^HKEY_/ { key = $0 }
        valuename($0) == "DisplayName" && valuedata($0) == name { print key }' \
        "$WORK/uninstall-keys.log" | head -1
}
# entry_data KEY NAME: one value of that subkey, from the last uninstall_entry.
entry_data() {
    awk -v key="$1" -v name="$2" "$VALUE_AWK"'
        /^HKEY_/ { inside = ($0 == key) }
        inside && valuename($0) == name { print valuedata($0) }' "$WORK/uninstall-keys.log"
}
unix_dir() { echo "$PREFIX/drive_c/$1/$PRODUCT"; }
DIR=$(unix_dir "$PROGRAM_FILES")
# The shortcut goes to the common Start menu; Wine 8's msi puts per-machine shortcuts in the
# user's Start menu, so both are looked at.
find_shortcut() {
    find "$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
        "$PREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs \
        -maxdepth 1 -name "$PRODUCT.lnk" 2>/dev/null | head -1
}
same_file() { cmp -s "$1" "$2"; }
app_running() { kill -0 "$APP_PID" 2>/dev/null; }
app_ended() { ! app_running; }

cp "$MSI" "$PREFIX/drive_c/hivewarden.msi"

# ---- Install and uninstall at once: nothing is left, not even the folder.
check "a first install succeeds" \
    wine_run "$WORK/msiexec-first.log" "$SYSTEM_WINE" msiexec /i 'C:\hivewarden.msi' /qn
check "it fills $INSTALL_DIR" test -f "$DIR/HivewardenGui.exe"
check "its uninstall succeeds" \
    wine_run "$WORK/msiexec-first.log" "$SYSTEM_WINE" msiexec /x 'C:\hivewarden.msi' /qn
check "with no user files in it the program folder is removed too" test ! -e "$DIR"

# ---- Install
check "msiexec /i installs the package silently (log: $WORK/install.log)" \
    wine_run "$WORK/msiexec-install.log" "$SYSTEM_WINE" msiexec /i 'C:\hivewarden.msi' /qn \
        /l*v 'C:\install.log'
cp "$PREFIX/drive_c/install.log" "$WORK/install.log" 2>/dev/null || true

for file in HivewardenGui.exe hivewarden.exe TrojanDef.ini TrojanLock.ini; do
    check "$file is installed in $INSTALL_DIR" test -f "$DIR/$file"
done
for file in TrojanDef.ini TrojanLock.ini; do
    check "the installed $file is the shipped one" same_file "$DATA/$file" "$DIR/$file"
done
[ -d "$DIR" ] || { echo "not ok - $INSTALL_DIR exists; nothing more can be checked"; exit 1; }
check "nothing is installed under C:\\$OTHER_PROGRAM_FILES" \
    test ! -e "$(unix_dir "$OTHER_PROGRAM_FILES")"

SHORTCUT=$(find_shortcut)
check "the Start menu shortcut \"$PRODUCT.lnk\" exists (${SHORTCUT#"$PREFIX/drive_c/"})" \
    test -n "$SHORTCUT"
[ -z "$SHORTCUT" ] ||
    check "the shortcut points to $INSTALL_DIR\\HivewardenGui.exe" \
        grep -aqF "$INSTALL_DIR\\HivewardenGui.exe" "$SHORTCUT"

ENTRY=$(uninstall_entry)
check "Apps & features lists \"$PRODUCT\" (${ENTRY:-no entry})" test -n "$ENTRY"
if [ -n "$ENTRY" ]; then
    check "its version is $VERSION" test "$(entry_data "$ENTRY" DisplayVersion)" = "$VERSION"
    check "its publisher is Kestovar" test "$(entry_data "$ENTRY" Publisher)" = Kestovar
    check "its uninstall command is msiexec" \
        grep -qi '^msiexec.exe /x{' <<<"$(entry_data "$ENTRY" UninstallString)"
fi

# ---- The installed command line
check "the installed hivewarden.exe --version runs" \
    wine_run "$WORK/version.log" "$PROGRAM_WINE" "$INSTALL_DIR\\hivewarden.exe" --version
check "it prints the package's version $VERSION" \
    grep -Eq "(^|[^0-9.])${VERSION//./\\.}\$" "$WORK/version.log"

# A backup in the program folder, made by the installed command line as a user makes one:
# a clean of a small registry file (quicker than the live registry under Wine) backs up the
# stale entry it removes into the program's folder.
mkdir -p "$PREFIX/drive_c/round-trip"
printf '%s\r\n' REGEDIT4 '' \
    '[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\gone.exe]' \
    '@="C:\\Missing\\gone.exe"' '' >"$PREFIX/drive_c/round-trip/machine.reg"
check "the installed command line cleans a registry file after a backup" \
    wine_run "$WORK/clean.log" "$PROGRAM_WINE" "$INSTALL_DIR\\hivewarden.exe" clean \
        --registry 'C:\round-trip\machine.reg' --output 'C:\round-trip\cleaned.reg' \
        --options 16 --no-shortcuts --backup msi-round-trip
BACKUP=$DIR/msi-round-trip.reg
check "its backup msi-round-trip.reg is in the program folder and holds the entry" \
    grep -qF '@="C:\\Missing\\gone.exe"' "$BACKUP"
# The exclusion list, as the window's options page writes it.
printf 'C:\\Kept\\Excluded\r\n' >"$DIR/Ignore.ini"
BACKUP_SUM=$(sha256sum <"$BACKUP" 2>/dev/null || true)
IGNORE_SUM=$(sha256sum <"$DIR/Ignore.ini")

# ---- The installed window: it starts, writes its start-up entry, and Escape (Exit) ends it.
"$PROGRAM_WINE" "$INSTALL_DIR\\HivewardenGui.exe" </dev/null >"$WORK/window.log" 2>&1 &
APP_PID=$!
wine_session_track "$APP_PID"
WINDOW=$(timeout 30 xdotool search --sync --onlyvisible --name "^$PRODUCT" 2>/dev/null | head -1 ||
    true)
check "the installed window appears" test -n "$WINDOW"
if [ -n "$WINDOW" ]; then
    xwd -root -display "$DISPLAY" 2>/dev/null | convert xwd:- "png:$WORK/installed-window.png" ||
        true
    check "it writes its start-up entry" \
        test "$(reg_data "$RUN_KEY" "$PRODUCT")" = "$INSTALL_DIR\\HivewardenGui.exe -X"
    if app_running; then
        # Exit acts on the key going down; the key-up then finds no window (a BadWindow error).
        xdotool key --window "$WINDOW" Escape 2>/dev/null || true
        for _ in $(seq 150); do
            app_running || break
            sleep 0.1
        done
        check "Escape (Exit) closes it" app_ended
    else
        fail "it stays open until Exit"
    fi
fi
app_running && kill "$APP_PID" 2>/dev/null
wait "$APP_PID" 2>/dev/null || true
APP_PID=""

# ---- Uninstall
check "msiexec /x uninstalls the package silently (log: $WORK/uninstall.log)" \
    wine_run "$WORK/msiexec-uninstall.log" "$SYSTEM_WINE" msiexec /x 'C:\hivewarden.msi' /qn \
        /l*v 'C:\uninstall.log'
cp "$PREFIX/drive_c/uninstall.log" "$WORK/uninstall.log" 2>/dev/null || true

for file in HivewardenGui.exe hivewarden.exe TrojanDef.ini TrojanLock.ini; do
    check "$file is removed" test ! -e "$DIR/$file"
done
check "the Start menu shortcut is removed" test -z "$(find_shortcut)"
check "the Apps & features entry is removed" test -z "$(uninstall_entry)"
check "the start-up entry is removed" test -z "$(reg_data "$RUN_KEY" "$PRODUCT")"
check "the user's backup stays, unchanged" \
    test "$(sha256sum <"$BACKUP" 2>/dev/null)" = "$BACKUP_SUM"
check "the user's Ignore.ini stays, unchanged" \
    test "$(sha256sum <"$DIR/Ignore.ini" 2>/dev/null)" = "$IGNORE_SUM"
check "nothing else is left in the program folder" \
    test "$(cd "$DIR" && ls -A | sort | tr '\n' ' ')" = "Ignore.ini msi-round-trip.reg "

echo "# $ARCH package round trip: $FAILURES failed, $(($(date +%s) - START)) s"
if [ "$FAILURES" -ne 0 ]; then exit 1; fi
