#!/usr/bin/env bash
# Runs one Windows program under wine64 for ctest (the cross-compiling emulator)
# or by hand: ./scripts/wine-run.sh build/win64/shell/zarn.exe
# The prefix, the wine server and the X server are shared per build folder and
# started once, detached, so that Wine's services never hold the caller's pipes.
set -u
prog=${1:?usage: wine-run.sh program.exe [args...]}
root=${ZARN_BUILD_ROOT:-}
if [ -z "$root" ]; then
  d=$(cd "$(dirname "$prog")" && pwd)
  while [ "$d" != / ] && [ ! -f "$d/.zarn-build-root" ]; do d=$(dirname "$d"); done
  if [ -f "$d/.zarn-build-root" ]; then root=$d; else root=$(cd "$(dirname "$0")/.." && pwd)/build; fi
fi
mkdir -p "$root"
export ZARN_BUILD_ROOT=$root
export WINEPREFIX=${WINEPREFIX:-$root/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
export WINEARCH=win64
"$(dirname "$0")/wine-env.sh" up >/dev/null 2>&1 || { echo "wine-run: could not start wine" >&2; exit 125; }
if [ -z "${DISPLAY:-}" ] && [ -f "$root/xvfb.display" ]; then export DISPLAY=:$(cat "$root/xvfb.display"); fi
timeout -k 5 "${ZARN_TIMEOUT:-300}" /usr/lib/wine/wine64 "$@"
rc=$?
# A failure with no output of the program's own says at least how it ended.
[ $rc = 0 ] || echo "wine-run: $(basename "$prog") ended with status $rc" >&2
exit $rc
