#!/bin/sh
# Runs a Windows test program under Wine in the build's own throwaway prefix.
#   --start  starts one persistent wineserver (and Wine's services) for the whole ctest run
#   --stop   stops it
#   --init   only creates the prefix (for a base copy), leaving no server behind
# The prefix is created once, under a lock, with crash dialogs off and unmanaged windows.
# HW_WINE_ARCH=win32 runs 32-bit programs with the 32-bit loader (Wine's WoW64; it needs
# wine32:i386); anything else runs 64-bit programs with wine64.
: "${WINEPREFIX:=${HW_WINE_PREFIX:?set WINEPREFIX or HW_WINE_PREFIX}}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
if [ "${HW_WINE_ARCH:-win64}" = win32 ]; then
  WINE=/usr/lib/wine/wine
else
  WINE=/usr/lib/wine/wine64
fi
[ -x "$WINE" ] || WINE=wine
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  ( flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      timeout 300 wineboot -i
      mkdir -p "$WINEPREFIX/drive_c"
      printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' \
        '"ShowCrashDialog"=dword:00000000' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '"Managed"="N"' '' > "$WINEPREFIX/drive_c/hw-ci.reg"
      timeout 120 "$WINE" regedit /s 'C:\hw-ci.reg'
      timeout 120 wineserver -w
    fi ) 9>"$WINEPREFIX.lock" </dev/null >/dev/null 2>&1
fi
case "${1:-}" in
  --start) wineserver -p </dev/null >/dev/null 2>&1
           exec timeout 120 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 ;;
  --stop|--init) wineserver -k 2>/dev/null; timeout 60 wineserver -w; exit 0 ;;
esac
exec "$WINE" "$@"
