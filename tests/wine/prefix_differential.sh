#!/usr/bin/env bash
# The Wine prefix backend against Wine itself. In a fresh prefix, before anything is planted:
#  0. the native scan and the live scan under Wine report the same findings, and none of them
#     names a file that exists (Wine's own fonts are found in Wine's fonts folder).
# Then, with stale entries planted:
#  1. `hivewarden scan --wine-prefix DIR --json` (native, from the prefix's files) reports the
#     same findings as `hivewarden.exe scan --json` run live under Wine in that prefix;
#  2. `clean --wine-prefix DIR` is refused while a wineserver serves the prefix, with the
#     registry files' bytes unchanged;
#  3. with the server stopped, `clean --wine-prefix DIR` repairs, and Wine started again shows
#     the repaired registry (`reg query`);
#  4. `backups restore --wine-prefix DIR` brings the entries back (`reg query` again).
#
#   tests/wine/prefix_differential.sh NATIVE_HIVEWARDEN WINDOWS_HIVEWARDEN_EXE
# HW_WINE_BASE: a base prefix to copy (made by wineboot when unset). HW_WINE_DATA: Wine's data
# folder (default: the share/wine of the loader's installation). Exit 0 when every check
# passes. Never leaves a wineserver running.
set -euo pipefail

NATIVE=$(realpath "$1")
EXE=$(realpath "$2")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/hw-prefix-diff.XXXXXX")
PFX="$WORK/prefix"
PROGRAM="$WORK/program"  # backups and the definition files of the native runs
export WINEPREFIX="$PFX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=wine
WINE_DATA=${HW_WINE_DATA:-$(dirname "$(readlink -f "$(command -v "$WINE")")")/../../share/wine}
[ -f "$WINE_DATA/wine.inf" ] || WINE_DATA=/usr/share/wine
WINE_DATA=$(readlink -f "$WINE_DATA")
FAILURES=0

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
    [ -n "${HW_KEEP_WORK:-}" ] || rm -rf "$WORK"
}
trap cleanup EXIT

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
stop_server() { wineserver -k >/dev/null 2>&1 || true; timeout 30 wineserver -w >/dev/null 2>&1 || true; }
reg_query() { timeout 120 "$WINE" reg query "$@" </dev/null 2>/dev/null | tr -d '\r' || true; }

# ---- a fresh prefix
if [ -n "${HW_WINE_BASE:-}" ] && [ -f "$HW_WINE_BASE/system.reg" ]; then
    cp -a "$HW_WINE_BASE" "$PFX"
else
    timeout 300 "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    timeout 60 wineserver -w || true
fi
mkdir -p "$PROGRAM"
cp "$(dirname "$EXE")"/Trojan*.ini "$PROGRAM/" 2>/dev/null || true

# Normalised: the findings as sets of (key, value name, data, action, description), without the
# keys Wine rewrites at every start or keeps only in memory (HKLM\System, HKLM\HARDWARE,
# volatile keys) and without Index, which numbers the findings in walk order. Findings at or
# below one of the prefix's link keys ("#link") are left out too: Wine's own enumeration goes
# through a link and reports its target's values a second time under the link's name, while
# the program reads each real key once.
normalise() {
    python3 - "$1" "$PFX" <<'PY'
import json, os, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
skip = ["HKEY_LOCAL_MACHINE\\SYSTEM\\", "HKEY_LOCAL_MACHINE\\HARDWARE\\",
        "HKEY_CURRENT_USER\\VOLATILE ENVIRONMENT"]
for name, root in (("system.reg", "HKEY_LOCAL_MACHINE"), ("user.reg", "HKEY_CURRENT_USER")):
    path = os.path.join(sys.argv[2], name)
    if not os.path.exists(path):
        continue
    key = None
    for line in open(path, encoding="utf-8", errors="replace"):
        if line.startswith("["):
            key = line[1:line.rindex("]")].replace("\\\\", "\\")
        elif line.startswith("#link") and key:
            skip.append((root + "\\" + key).upper())
def skipped(upper):
    for s in skip:
        if s.endswith("\\"):
            if upper.startswith(s):
                return True
        elif upper == s or upper.startswith(s + "\\"):
            return True
    return False
rows = set()
for f in data["findings"]:
    if skipped(f["KeyPath"].upper()):
        continue
    rows.add((f["KeyPath"], f["ItemName"], f["ItemData"], f["Action"], f["Description"]))
for row in sorted(rows):
    print(" | ".join(row))
PY
}
# The findings of a scan whose file exists after all: a font in the prefix's Fonts folder or in
# Wine's, or a path that leads to a file or folder through the prefix's drives (names matched
# without regard to case, as Windows does).
existing_findings() {
    python3 - "$1" "$PFX" "$WINE_DATA/fonts" <<'PY'
import json, os, sys
data = json.load(open(sys.argv[1], encoding="utf-8"))
prefix, wine_fonts = sys.argv[2], sys.argv[3]
def child(folder, name):
    try:
        for entry in os.listdir(folder):
            if entry.lower() == name.lower():
                return os.path.join(folder, entry)
    except OSError:
        pass
    return None
def host_path(path):
    if len(path) < 3 or path[1:3] != ":\\":
        return None
    here = os.path.realpath(os.path.join(prefix, "dosdevices", path[0].lower() + ":"))
    for name in [n for n in path[3:].split("\\") if n]:
        here = child(here, name)
        if here is None:
            return None
    return here
for f in data["findings"]:
    target = f["TargetPath"] or f["ItemData"]
    if f["IsFont"] and ":\\" not in target:
        found = child(os.path.join(prefix, "drive_c", "windows", "Fonts"), target) or child(wine_fonts, target)
    else:
        found = host_path(target)
    if found:
        print(f["KeyPath"], "|", f["ItemName"], "|", target, "->", found)
PY
}

# scan_both NAME: the live scan under Wine in the prefix and the native scan of its files, as
# JSON in $WORK/NAME-live.json and NAME-native.json, normalised in NAME-live.txt and
# NAME-native.txt. The server is stopped afterwards.
scan_both() {
    (cd "$PROGRAM" && timeout 300 "$WINE" "$EXE" scan --json --program-folder 'Z:'"$PROGRAM" \
        </dev/null >"$WORK/$1-live.json" 2>"$WORK/$1-live.err") || true
    stop_server
    "$NATIVE" scan --wine-prefix "$PFX" --json --program-folder "$PROGRAM" \
        >"$WORK/$1-native.json" 2>"$WORK/$1-native.err" || true
    normalise "$WORK/$1-live.json" >"$WORK/$1-live.txt"
    normalise "$WORK/$1-native.json" >"$WORK/$1-native.txt"
}

# ---- 0. a fresh prefix: the same findings natively and live, none of them a file that exists
scan_both fresh
if diff -u "$WORK/fresh-live.txt" "$WORK/fresh-native.txt" >"$WORK/fresh.diff"; then
    pass "fresh prefix: native scan = live scan ($(wc -l <"$WORK/fresh-native.txt") findings)"
else
    fail "fresh prefix: findings differ (live - / native +):"; cat "$WORK/fresh.diff"
fi
for view in live native; do
    existing_findings "$WORK/fresh-$view.json" >"$WORK/fresh-$view.existing"
    if [ -s "$WORK/fresh-$view.existing" ]; then
        fail "fresh prefix, $view scan: findings whose file exists:"; cat "$WORK/fresh-$view.existing"
    else
        pass "fresh prefix, $view scan: no finding names a file that exists"
    fi
done
cat "$WORK/fresh-native.txt"

mkdir -p "$PFX/drive_c/HwPresent"
: >"$PFX/drive_c/HwPresent/present.exe"
APP='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths'
RUN='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
printf '%s\r\n' 'REGEDIT4' '' \
    "[$APP\\hwstale.exe]" '@="C:\\Program Files\\HwStale\\hwstale.exe"' '' \
    "[$APP\\hwpresent.exe]" '@="C:\\HwPresent\\present.exe"' '' \
    "[$RUN]" '"HwStaleRun"="C:\\HwMissing\\run.exe /quiet"' '"HwPresentRun"="C:\\HwPresent\\present.exe"' '' \
    "[$UNINSTALL\\HwStale]" '"DisplayName"="Hw Stale"' '"UninstallString"="C:\\HwMissing\\uninst.exe"' '' \
    '[HKEY_CURRENT_USER\Software\HwTest]' '"Gone"=hex(2):25,50,72,6f,67,72,61,6d,46,69,6c,65,73,25,5c,48,77,4d,69,73,73,69,6e,67,5c,78,2e,64,6c,6c,00' '' \
    >"$PFX/drive_c/hw-plant.reg"
timeout 120 "$WINE" regedit /s 'C:\hw-plant.reg' </dev/null >/dev/null 2>&1
if reg_query "$RUN" /v HwStaleRun | grep -q HwMissing; then pass "stale entries planted"; else fail "planting"; fi

# ---- 1. the same findings, live under Wine and natively from the files
scan_both planted
if [ -s "$WORK/planted-live.txt" ] &&
    diff -u "$WORK/planted-live.txt" "$WORK/planted-native.txt" >"$WORK/planted.diff"; then
    pass "native scan of the prefix's files = live scan under Wine ($(wc -l <"$WORK/planted-live.txt") findings)"
else
    fail "findings differ (live - / native +):"; cat "$WORK/planted.diff"; tail -5 "$WORK/planted-live.err"
fi
for planted in 'hwstale.exe' 'HwStaleRun' 'UninstallString' 'HwTest'; do
    grep -q "$planted" "$WORK/planted-native.txt" || fail "planted entry $planted not found"
done
if grep -q 'HwPresent' "$WORK/planted-native.txt"; then fail "an existing file was reported"; fi

# ---- 2. refused while a wineserver serves the prefix; nothing written
md5() { md5sum "$PFX"/system.reg "$PFX"/user.reg "$PFX"/userdef.reg; }
wineserver -p >/dev/null 2>&1
timeout 60 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
md5 >"$WORK/before.md5"
rc=0
"$NATIVE" clean --wine-prefix "$PFX" --program-folder "$PROGRAM" --backup refused \
    >"$WORK/refused.out" 2>"$WORK/refused.err" || rc=$?
if [ "$rc" -ne 0 ] && grep -q 'wineserver -k' "$WORK/refused.err" && md5 | cmp -s - "$WORK/before.md5" &&
    [ ! -e "$PROGRAM/refused.reg" ]; then
    pass "clean refused while the wineserver runs (exit $rc), files unchanged, no backup"
else
    fail "refusal (exit $rc)"; cat "$WORK/refused.err"
fi
stop_server

# ---- 3. clean with the server stopped; Wine sees the repaired registry
rc=0
"$NATIVE" clean --wine-prefix "$PFX" --program-folder "$PROGRAM" --backup hw-diff \
    >"$WORK/clean.out" 2>"$WORK/clean.err" || rc=$?
[ "$rc" -eq 0 ] && pass "clean --wine-prefix" || { fail "clean exit $rc"; cat "$WORK/clean.err"; }
# Start-up entries are kept by default (action Ignore); the others are deleted.
after_clean=$(reg_query "$RUN")
if grep -q HwStaleRun <<<"$after_clean" && grep -q HwPresentRun <<<"$after_clean" &&
    ! reg_query "$APP\\hwstale.exe" | grep -q hwstale &&
    reg_query "$APP\\hwpresent.exe" | grep -q present &&
    ! reg_query 'HKEY_CURRENT_USER\Software\HwTest' | grep -q Gone &&
    ! reg_query "$UNINSTALL\\HwStale" | grep -q UninstallString; then
    pass "Wine shows the repaired registry"
else
    fail "repaired registry under Wine:"; echo "$after_clean"
fi
stop_server

# ---- 4. restore from the backup, natively; Wine sees the entries again
rc=0
"$NATIVE" backups --program-folder "$PROGRAM" restore hw-diff --wine-prefix "$PFX" \
    >"$WORK/restore.out" 2>"$WORK/restore.err" || rc=$?
[ "$rc" -eq 0 ] || { fail "restore exit $rc"; cat "$WORK/restore.err"; }
if reg_query "$RUN" /v HwStaleRun | grep -q 'HwMissing\\run.exe /quiet' &&
    reg_query "$APP\\hwstale.exe" | grep -q 'HwStale\\hwstale.exe' &&
    reg_query 'HKEY_CURRENT_USER\Software\HwTest' /v Gone | grep -q 'REG_EXPAND_SZ'; then
    pass "backups restore brings the entries back"
else
    fail "restored registry under Wine"
fi
stop_server

echo "$FAILURES failed"
[ "$FAILURES" -eq 0 ]
