#!/usr/bin/env bash
# wine-env.sh up|down: starts (idempotently) or stops the shared wine server,
# the prefix's services and an Xvfb display for the build folder $ZARN_BUILD_ROOT.
# ZARN_WINE_LANE=<name> picks a second set of its own (prefix, wine server and
# display under $ZARN_BUILD_ROOT/lane-<name>): window tests that need the
# pointer or the activation to themselves then run beside each other, one per
# lane. "down" without a lane stops every lane too.
set -u
base=${ZARN_BUILD_ROOT:?ZARN_BUILD_ROOT not set}
lane=${ZARN_WINE_LANE:-}
root=$base${lane:+/lane-$lane}
export WINEPREFIX=${WINEPREFIX:-$root/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
export WINEARCH=win64
mkdir -p "$root"
exec 9>"$root/.wine-env.lock"
flock 9
alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }
case "${1:-up}" in
up)
  if [ -z "${DISPLAY:-}" ] && ! alive "$root/xvfb.pid"; then
    rm -f "$root/xvfb.display"
    exec 8>"$root/xvfb.display.tmp"
    setsid Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$root/xvfb.pid"
    exec 8>&-
    for _ in $(seq 100); do [ -s "$root/xvfb.display.tmp" ] && break; sleep 0.1; done
    tr -d '\n ' <"$root/xvfb.display.tmp" >"$root/xvfb.display"; rm -f "$root/xvfb.display.tmp"
  fi
  mkdir -p "$WINEPREFIX"
  if [ -f "$root/xvfb.display" ] && [ -z "${DISPLAY:-}" ]; then export DISPLAY=:$(cat "$root/xvfb.display"); fi
  # A second persistent server for the same prefix just exits, so this is idempotent.
  setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 9>&-
  if [ ! -f "$root/.wine-booted" ]; then
    setsid /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 9>&-
    # One virtual desktop window: with no X window manager, Wine otherwise waits
    # ~2 s for every top-level window it hides. A crashing test must end with
    # its backtrace, not wait on the crash dialog until the time-out.
    for kv in 'HKCU\Software\Wine\Explorer /v Desktop /d Default' \
              'HKCU\Software\Wine\Explorer\Desktops /v Default /d 1280x1024' \
              'HKCU\Software\Wine\WineDbg /v ShowCrashDialog /t REG_DWORD /d 0'; do
      # shellcheck disable=SC2086
      setsid /usr/lib/wine/wine64 reg add $kv /f </dev/null >/dev/null 2>&1 9>&-
    done
    # The desktop mode is read when the desktop starts: start everything again.
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 9>&-
    /usr/lib/wine/wineserver -w >/dev/null 2>&1 9>&-
    setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 9>&-
    setsid /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 9>&-
    touch "$root/.wine-booted"
  fi
  keeper=$base/win64/bin/wine_keepalive.exe
  if [ -f "$keeper" ] && ! alive "$root/keepalive.pid"; then
    setsid /usr/lib/wine/wine64 "$keeper" </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$root/keepalive.pid"
  fi
  ;;
down)
  if [ -z "$lane" ]; then
    for d in "$base"/lane-*/; do
      [ -d "$d" ] || continue
      d=${d%/}
      ZARN_WINE_LANE=${d##*/lane-} WINEPREFIX=$d/wineprefix "$0" down
    done
  fi
  alive "$root/keepalive.pid" && kill "$(cat "$root/keepalive.pid")" 2>/dev/null
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  alive "$root/xvfb.pid" && kill "$(cat "$root/xvfb.pid")" 2>/dev/null
  rm -f "$root/.wine-booted" "$root/keepalive.pid" "$root/xvfb.pid" "$root/xvfb.display"
  ;;
esac
