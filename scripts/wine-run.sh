#!/usr/bin/env bash
# Runs one Windows program under wine64 for ctest (the cross-compiling emulator)
# or by hand: ./scripts/wine-run.sh build/win64/shell/zarn.exe
# The prefix, the wine server and the X server are shared per build folder and
# started once, detached, so that Wine's services never hold the caller's pipes.
#
# A Wine process whose Unix side trips glibc's heap checks (seen under load)
# hangs or dies instead of ending: when glibc's own abort lines are on the
# program's stderr, the run is repeated once; so is a test program that ended
# before writing a byte (it never started). Each repeat is named on stderr
# and in $ZARN_BUILD_ROOT/reruns.log (scripts/test.sh prints that list). Any
# other failure or time-out stands.
# ZARN_WINE names another loader than /usr/lib/wine/wine64 (the harness's own
# test); it is run as is, without the shared server.
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
# A lane (scripts/wine-env.sh) has a prefix and display of its own.
lane_root=$root${ZARN_WINE_LANE:+/lane-$ZARN_WINE_LANE}
export WINEPREFIX=${WINEPREFIX:-$lane_root/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
export WINEARCH=win64
wine=${ZARN_WINE:-/usr/lib/wine/wine64}
if [ -z "${ZARN_WINE:-}" ]; then
  "$(dirname "$0")/wine-env.sh" up >/dev/null 2>&1 || { echo "wine-run: could not start wine" >&2; exit 125; }
fi
if [ -z "${DISPLAY:-}" ] && [ -f "$lane_root/xvfb.display" ]; then export DISPLAY=:$(cat "$lane_root/xvfb.display"); fi
name=${ZARN_TEST_NAME:-$(basename "$prog")}
work=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
err=$work/stderr
trap 'rm -rf "$work"' EXIT

out=$work/stdout
# One run; its stdout and stderr go on to the caller and into $out and $err.
run() {
  rm -f "$work/pipe" "$work/opipe"
  mkfifo "$work/pipe" "$work/opipe"
  tee "$err" <"$work/pipe" >&2 &
  local tee_pid=$!
  tee "$out" <"$work/opipe" &
  local otee_pid=$!
  timeout -k 5 "${ZARN_TIMEOUT:-300}" "$wine" "$@" 2>"$work/pipe" >"$work/opipe"
  local rc=$?
  # tee ends with the program's last writer; do not wait on a stray one for long.
  for _ in $(seq 50); do
    kill -0 "$tee_pid" 2>/dev/null || kill -0 "$otee_pid" 2>/dev/null || break
    sleep 0.1
  done
  return $rc
}

# The first of glibc's fatal heap lines, if any.
wine_abort() { grep -a -m1 -E '^(malloc\(\): |free\(\): |corrupted )|double free' "$err"; }

run "$@"
rc=$?
if [ $rc != 0 ] && abort=$(wine_abort); then
  echo "wine-run: rerun $name: Wine aborted on its Unix side (status $rc: $abort)" >&2
  echo "$name: $abort" >>"$root/reruns.log"
  run "$@"
  rc=$?
elif [ $rc != 0 ] && [ $rc != 124 ] && [ -n "${ZARN_TEST_NAME:-}" ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  # A test program prints before anything else; one that ended without a
  # byte never started (seen once in many runs: status 1, nothing written).
  echo "wine-run: rerun $name: Wine ended with status $rc before the program wrote anything" >&2
  echo "$name: ended with status $rc before the program wrote anything" >>"$root/reruns.log"
  run "$@"
  rc=$?
fi
# A failure with no output of the program's own says at least how it ended.
[ $rc = 0 ] || echo "wine-run: $(basename "$prog") ended with status $rc" >&2
exit $rc
