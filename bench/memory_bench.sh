#!/usr/bin/env bash
# memory_bench.sh [entries] [sites]: peak resident memory (VmHWM) of zarn.exe
# with 200 work sites stored and a folder of 100,000 entries listed in the first
# server pane, beside the same figure for the empty main window (no site
# stored: the default site only). A prefix and Xvfb of its own; nothing asserted.
#
# Last figures (load 17.4): empty main window 90 MiB peak; 200 sites and
# 100,000 entries listed (8.9 s after the click) 219 MiB (+128 MiB). The loaded
# case had never finished because the wait read every cell of the 100,000 rows
# across processes on each poll (minutes a poll) and wine-run's default 300 s
# ended the program meanwhile; it now waits on the row count.
set -eu
. "$(dirname "$0")/common.sh"
bin=$root/win64/bin
need_driver memory_bench "$bin/e2e_driver.exe"
if [ "${1:-}" != --inside ]; then
  run_inside pyftpd "${1:-100000}" "${2:-200}"
fi
entries=$2
sites=$3
peer_server PYFTPD
mkdir -p "$work"
# The anonymous login's folder: one folder of many small files.
big=$served/anon/big
mkdir -p "$big"
/usr/bin/python3 - "$big" "$entries" <<'EOF'
import os, sys
d, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    open(os.path.join(d, "entry%06d.dat" % i), "w").close()
EOF

drv() { (cd "$bin" && ZARN_TIMEOUT=300 "$top/scripts/wine-run.sh" ./e2e_driver.exe "$@" 2>/dev/null); }
reg() { setsid /usr/lib/wine/wine64 reg add "$@" /f </dev/null >/dev/null 2>&1; }

# measure NAME SITES: a fresh prefix, SITES stored sites (0: none), zarn started;
# with sites the first one is opened and its folder "big" listed.
measure() {
  local broot=$work/memory-$1 n=$2 pid hwm
  rm -rf "$broot"; mkdir -p "$broot"
  export ZARN_BUILD_ROOT=$broot WINEPREFIX=$broot/wineprefix WINEDEBUG=-all
  "$top/scripts/wine-env.sh" up >/dev/null 2>&1 </dev/null
  export DISPLAY=:$(cat "$broot/xvfb.display")
  if [ "$n" -gt 0 ]; then
    local f=$broot/sites.reg i
    { printf 'REGEDIT4\r\n\r\n'
      for i in $(seq -w 1 "$n"); do
        printf '[HKEY_CURRENT_USER\\SOFTWARE\\ZARN\\ZARNSITE\\Site %s]\r\n' "$i"
        printf '"Alias"="Site %s"\r\n"Address"="127.0.0.1"\r\n"Port"=dword:%08x\r\n' "$i" "$port"
        printf '"Config"="0,0,200,0,0,0,0,0,0,0121200100"\r\n"User"="anonymous"\r\n"RemoteDir"="/big"\r\n\r\n'
      done; } >"$f"
    setsid /usr/lib/wine/wine64 regedit /S "$(winpath "$f")" </dev/null >/dev/null 2>&1
  fi
  reg 'HKCU\SOFTWARE\ZARN\SETUP' /v DOWNLOADPATH /d "$(winpath "$work")"
  # Longer than wine-run's default 300 s, which ended the program under a slow wait.
  (cd "$bin" && ZARN_TIMEOUT=1200 exec setsid "$top/scripts/wine-run.sh" ./zarn.exe </dev/null >/dev/null 2>&1) &
  local runner=$!
  drv wait main 60000 >/dev/null
  if [ "$n" -gt 0 ]; then
    drv select main/SysTreeView32#0 "Site $(printf '%0*d' ${#n} 1)"
    # The row count only: reading 100,000 rows' texts across processes takes minutes a poll.
    local t0; t0=$(date +%s.%N)
    drv waitrows main/hid:1074 "$entries" 300000 >/dev/null ||
      echo "memory_bench: the listing did not come" >&2
    echo "memory_bench: $entries rows listed $(echo "$(date +%s.%N) - $t0" | bc) s after the click" >&2
  else
    sleep 3  # the empty window settles
  fi
  # The Windows process: the Wine loader below the runner's timeout.
  local t; t=$(pgrep -P "$runner" -x timeout | head -1 || true)
  pid=$( [ -n "$t" ] && pgrep -P "$t" | head -1 || true)
  hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
  drv command 57665
  drv gone main 60000 || true
  wait "$runner" 2>/dev/null || true
  ZARN_BUILD_ROOT=$broot "$top/scripts/wine-env.sh" down >/dev/null 2>&1
  echo "$hwm"
}

empty=$(measure empty 0 | tail -1)
loaded=$(measure loaded "$sites" | tail -1)
printf 'memory: peak resident set of zarn.exe (load %s)\n' "$(cut -d' ' -f1 /proc/loadavg)"
printf '  empty main window                          %6d MiB\n' $((empty / 1024))
if [ "${loaded:-0}" -gt 0 ]; then
  printf '  %d sites, %d entries in the server pane  %6d MiB  (+%d MiB)\n' "$sites" "$entries" \
    $((loaded / 1024)) $(((loaded - empty) / 1024))
else
  printf '  %d sites, %d entries in the server pane  not measured (no listing or no process)\n' "$sites" "$entries"
fi
