#!/usr/bin/env bash
# startup_bench.sh [runs]: time from process start to zarn.exe's main window
# shown, and to its first server listing painted (a stored site selected by the
# driver, its root's first entry in the server tree), against the platform's
# floor: bench/floor_window.cpp, a plain window with a list view under the same
# Wine. Prints the medians, the ratio window/floor and the program's own share
# (its time less the floor's). A prefix and Xvfb of its own; nothing is asserted.
#
# Last figures (3 runs, load average 23.1 on a shared machine): floor 4.49 s;
# zarn main window 9.52 s (2.1 x the floor, 5.03 s its own), first listing
# shown 18.36 s. Where the own share goes (WINEDEBUG=+timestamp,+loaddll, two
# starts): 3.0 s is the splash, whose 3000 ms timer is what shows the main
# window; the rest is the frame's windows being made (common controls, theme,
# input context, the menu's and bars' bitmaps) with Wine's X11 driver, 2-3 s
# under this load; no sleep, blocking wait or slow enumeration of the program's
# own shows in it.
set -eu
runs=${1:-5}
. "$(dirname "$0")/common.sh"
bin=$root/win64/bin
need_driver startup_bench "$bin/e2e_driver.exe"
need_driver startup_bench "$bin/floor_window.exe"
need_tools startup_bench xdotool

if [ "${1:-}" != --inside ]; then
  run_inside pyftpd "$runs"
fi
runs=$2
peer_server PYFTPD
mkdir -p "$work"
# The anonymous login's folder (the site stores no password).
mkdir -p "$served/anon/listed"
printf 'x\n' >"$served/anon/listed/first.txt"
broot=$work/startup
mkdir -p "$broot"
export ZARN_BUILD_ROOT=$broot WINEPREFIX=$broot/wineprefix WINEDEBUG=-all
"$top/scripts/wine-env.sh" up >/dev/null 2>&1 </dev/null
export DISPLAY=:$(cat "$broot/xvfb.display")
trap 'ZARN_BUILD_ROOT=$broot "$top/scripts/wine-env.sh" down >/dev/null 2>&1' EXIT
reg() { setsid /usr/lib/wine/wine64 reg add "$@" /f </dev/null >/dev/null 2>&1; }
site='HKCU\SOFTWARE\ZARN\ZARNSITE\Bench site'
reg "$site" /v Alias /d "Bench site"
reg "$site" /v Address /d 127.0.0.1
reg "$site" /v Port /t REG_DWORD /d "$port"
reg "$site" /v Config /d "0,0,200,0,0,0,0,0,0,0121200100"
reg "$site" /v User /d anonymous
reg "$site" /v RemoteDir /d /
reg 'HKCU\SOFTWARE\ZARN\SETUP' /v DOWNLOADPATH /d "$(winpath "$work")"

drv() { (cd "$bin" && ZARN_TIMEOUT=120 "$top/scripts/wine-run.sh" ./e2e_driver.exe "$@" 2>/dev/null); }
now() { date +%s.%N; }
results=$work/startup.txt
: >"$results"
for i in $(seq "$runs"); do
  # The floor: started, its window found by the same driver, closed.
  t0=$(now)
  (cd "$bin" && exec setsid "$top/scripts/wine-run.sh" ./floor_window.exe) </dev/null >/dev/null 2>&1 &
  drv wait "top:zarn floor" 60000 >/dev/null
  t1=$(now)
  drv close "top:zarn floor"; drv gone "top:zarn floor" 10000
  echo "floor window $(echo "$t1 - $t0" | bc)" >>"$results"
  # zarn: the main window, then the site selected and its listing in the tree.
  t0=$(now)
  (cd "$bin" && exec setsid "$top/scripts/wine-run.sh" ./zarn.exe) </dev/null >/dev/null 2>&1 &
  drv wait main 60000 >/dev/null
  t1=$(now)
  drv select main/SysTreeView32#0 "Bench site"
  drv waititem main/SysTreeView32#0 listed 60000
  t2=$(now)
  echo "zarn window $(echo "$t1 - $t0" | bc)" >>"$results"
  echo "zarn listing $(echo "$t2 - $t0" | bc)" >>"$results"
  drv command 57665
  drv gone main 30000 || true
  sleep 1  # the listing cache and registry writes settle before the next start
done
floor=$(median floor window); win=$(median zarn window); list=$(median zarn listing)
printf 'startup over %s runs (load %s)\n' "$runs" "$(cut -d' ' -f1 /proc/loadavg)"
printf '  floor window        %6.2f s\n' "$floor"
printf '  zarn main window    %6.2f s  (%.1f x the floor, %.2f s its own)\n' "$win" "$(echo "$win / $floor" | bc -l)" \
  "$(echo "$win - $floor" | bc -l)"
printf '  first listing shown %6.2f s\n' "$list"
