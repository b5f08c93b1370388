# Sourced by scripts/e2e, scripts/bench-wine and scripts/demo: a fresh wine64 prefix with a
# virtual desktop, and commands run under it on a headless X server.
#
#   wine_env_init PREFIX        exports WINEPREFIX, WINEDEBUG and the tool paths
#   wine_make_prefix            deletes and recreates $WINEPREFIX (about 15 s)
#   wine_in_xvfb SCRIPT ARGS... re-runs SCRIPT under xvfb-run unless already inside one
#   wine_run EXE ARGS...        runs a Windows program with wine64
#   wine_stop                   ends the prefix's wineserver and everything in it

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
XVFB_SCREEN=${XVFB_SCREEN:-"-screen 0 1280x1024x24"}

wine_env_init() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINESERVER
}

wine_make_prefix() {
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE64" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  # Every window on one virtual desktop: dialogs then close at once instead of waiting for a
  # window manager. Takes effect once the wineserver has restarted.
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
    >/dev/null 2>&1
  # A crashing program ends at once: no debugger to wait in.
  "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d no-debugger.exe /f >/dev/null 2>&1
  "$WINESERVER" -w
  if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
    echo "wine-env: could not make the prefix $WINEPREFIX" >&2
    return 1
  fi
}

wine_in_xvfb() {
  if [ -z "${WINE_ENV_IN_XVFB:-}" ]; then
    local script="$1"
    shift
    WINE_ENV_IN_XVFB=1 exec xvfb-run -a -s "$XVFB_SCREEN" "$script" "$@"
  fi
}

wine_run() {
  "$WINE64" "$@"
}

wine_stop() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}
