#!/usr/bin/env bash
# e2e.sh start|step NAME|stop|serve: the whole program as a user meets it.
#   start  the loopback servers (pyftpdlib with a user and password, vsftpd),
#          a wine prefix and Xvfb of their own under $E2E_ROOT, and zarn.exe
#          started as a user starts it; returns once its main window is shown.
#   step   one step of the scenario against that running program.
#   stop   Exit from the menu, then everything started is ended and checked gone.
# Every wait is bounded; each step ends with a screenshot in $E2E_ROOT/shots.
# E2E_ROOT (default $ZARN_BUILD_ROOT/win64/e2e), E2E_BIN (the win64 bin folder).
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${ZARN_BUILD_ROOT:-$top/build}
bin=${E2E_BIN:-$build/win64/bin}
root=${E2E_ROOT:-$build/win64/e2e}
py=/usr/bin/python3

fail() { echo "e2e: $*" >&2; servers_state >&2; exit 1; }
# On a failure: whether pyftpdlib still runs and takes connections, its open
# files and the end of its log (its folder goes when the servers stop).
servers_state() {
  [ -f "$root/peers.env" ] || return 0
  (
    # shellcheck disable=SC1091
    . "$root/peers.env"
    local pid; pid=$(cat "$ZARN_PYFTPD_PIDFILE" 2>/dev/null)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      echo "e2e: pyftpdlib (pid $pid) runs with $(ls /proc/"$pid"/fd 2>/dev/null | wc -l) open files"
    else
      echo "e2e: pyftpdlib (pid ${pid:-none}) is gone"
    fi
    $py -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 2).close()' \
      "$ZARN_PYFTPD_PORT" 2>/dev/null && echo "e2e: port $ZARN_PYFTPD_PORT takes connections" ||
      echo "e2e: port $ZARN_PYFTPD_PORT takes no connection"
    [ -f "$ZARN_PYFTPD_LOG" ] && { echo "e2e: the end of pyftpdlib's log:"; tail -n 25 "$ZARN_PYFTPD_LOG"; }
  )
}
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

wine_env() {
  export ZARN_BUILD_ROOT=$root WINEPREFIX=$root/wineprefix WINEDEBUG=-all
  unset DISPLAY
  # The program's GBK texts read as Chinese with code page 936 (needs the locale).
  locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' && export LANG=zh_CN.UTF-8
  [ -s "$root/xvfb.display" ] && export DISPLAY=:$(cat "$root/xvfb.display")
  return 0
}
# drv: the driver (tests/e2e/drv.sh), serving the scenario from the program's start.
. "$top/tests/e2e/drv.sh"
x() { xdotool "$@"; }
shot() { mkdir -p "$root/shots"; import -window root "$root/shots/$1.png"; echo "e2e: shot $root/shots/$1.png"; }
# waits up to $1 tenths of a second of wall time for the command to succeed
# (a driver call alone can take a second on a loaded machine: not a count of tries)
tenths() { echo $(($(date +%s%N) / 100000000)); }
until_ok() {
  local end=$(($(tenths) + $1)) t0=$EPOCHREALTIME rc=0; shift
  while :; do
    "$@" && break
    [ "$(tenths)" -ge "$end" ] && { rc=1; break; }
    sleep 0.1
  done
  [ -n "${E2E_TIMES:-}" ] && printf '%s until_ok %s\n' "$(bc <<<"$EPOCHREALTIME - $t0")" "$*" >>"$E2E_TIMES"
  return $rc
}

# Clicks a control's centre (driver selector) and types a new text into it.
fill() {
  local c; c=$(drv rect "$1") || fail "no control $1"
  set -- "$1" "$2" $c
  x mousemove "$7" "$8" click 1
  x key --clearmodifiers End shift+Home BackSpace
  [ -n "$2" ] && x type --delay 20 "$2"
  return 0
}
click_ctl() {
  local c; c=$(drv rect "$1") || fail "no control $1"
  set -- $c
  x mousemove "$5" "$6" click 1
}

serve() {
  # Runs inside with-peers.sh: hands the servers' coordinates over, then keeps
  # them until the stop file appears (or an hour has gone).
  env | grep -E '^ZARN_(PYFTPD|VSFTPD)_' | sed 's/^/export /; s/=\(.*\)$/="\1"/' >"$root/peers.env.tmp"
  mv "$root/peers.env.tmp" "$root/peers.env"
  for _ in $(seq 36000); do [ -f "$root/stop" ] && exit 0; sleep 0.1; done
}

# The servers' files: the scenario reads them back byte for byte.
make_files() {
  local r=$ZARN_PYFTPD_ROOT
  mkdir -p "$r/many files" "$r/docs" "$r/queue" "$r/s2s src/inner"
  for i in $(seq -w 1 49); do head -c $((1000 + 37 * 10#$i)) /dev/urandom >"$r/many files/file number $i.dat"; done
  head -c 20971520 /dev/urandom >"$r/many files/big file.bin"
  for n in alpha beta gamma; do printf 'text %s\r\n' "$n" >"$r/docs/$n.txt"; done
  printf 'not text\n' >"$r/docs/picture.gif"
  for i in 1 2 3; do head -c 4096 /dev/urandom >"$r/s2s src/part $i.bin"; done
  # Texts end their lines in CRLF: in ASCII mode they cross unchanged.
  for i in $(seq -w 1 300); do printf 'queued file %s\r\n' "$i" >"$r/queue/q$i.txt"; done
  printf 'inner\r\n' >"$r/s2s src/inner/deep.txt"
  printf 'welcome\r\n' >"$r/readme.txt"
  # Killed and started again in the middle of this one (a folder of its own):
  # 8 s at the server's limit, time enough to kill it halfway on a loaded machine.
  mkdir -p "$r/restart"
  head -c 16777216 /dev/urandom >"$r/restart/resume me.bin"
  # vsftpd keeps names as bytes: a GBK name (two Chinese characters, .txt).
  printf 'gbk named file\n' >"$ZARN_VSFTPD_ROOT/upload/$(printf '\xd6\xd0\xce\xc4').txt"
  chmod -R a+rwX "$ZARN_VSFTPD_ROOT/upload"
}

# A Windows path as a .reg file writes it (backslashes doubled).
regpath() { winpath "$1" | sed 's/\\/\\\\/g'; }

# copy_prefix DEST: a booted wine prefix for one scenario, copied from the
# template prefix beside the scenarios' roots, which is booted once a build
# (30-70 s) under a lock the other scenario waits on. The DLLs and programs
# (690 MB, never written) are hard links; everything else is copied.
copy_prefix() {
  local tpl; tpl=$(dirname "$root")/e2e-prefix
  (
    flock -w 240 9 || exit 1
    [ -f "$tpl/wineprefix/.e2e-booted" ] && exit 0
    rm -rf "$tpl"; mkdir -p "$tpl"
    wine_env   # booted in the scenario's locale
    env -u DISPLAY ZARN_BUILD_ROOT="$tpl" WINEPREFIX="$tpl/wineprefix" "$top/scripts/wine-env.sh" up </dev/null >/dev/null 2>&1 &&
      ZARN_BUILD_ROOT="$tpl" WINEPREFIX="$tpl/wineprefix" "$top/scripts/wine-env.sh" down </dev/null >/dev/null 2>&1 &&
      WINEPREFIX="$tpl/wineprefix" /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1 &&
      [ -f "$tpl/wineprefix/system.reg" ] && touch "$tpl/wineprefix/.e2e-booted"
  ) 9>"$tpl.lock" || return 1
  [ -f "$tpl/wineprefix/.e2e-booted" ] || return 1
  cp -al "$tpl/wineprefix" "$1" || return 1
  (cd "$tpl/wineprefix" && find . -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.sys' -o -iname '*.drv' \
      -o -iname '*.ocx' -o -iname '*.acm' -o -iname '*.cpl' -o -iname '*.tlb' -o -iname '*.nls' -o -iname '*.ax' \
      -o -iname '*.ds' -o -iname '*.msstyles' -o -iname '*.ttf' -o -iname '*.fon' \) -print0) |
    (cd "$1" && xargs -0 -I{} cp -p --remove-destination "$tpl/wineprefix/{}" "{}")
}

start() {
  [ -x "$bin/zarn.exe" ] || [ -f "$bin/zarn.exe" ] || fail "no zarn.exe in $bin"
  stop_quietly
  # A run that failed midway may have left the locked download target.
  [ -d "$root/locked target" ] && chattr -i "$root/locked target" 2>/dev/null
  # A new root each run; the wine prefix alone is kept, with the program's
  # registry key cleared below before the program starts.
  if [ -f "$root/wineprefix/.e2e-booted" ]; then
    mv "$root/wineprefix" "$root.prefix.$$"; rm -rf "$root"; mkdir -p "$root"; mv "$root.prefix.$$" "$root/wineprefix"
  else
    rm -rf "$root"; mkdir -p "$root"
    copy_prefix "$root/wineprefix" || fail "no wine prefix for the scenario"
  fi
  # Booted already: wine-env.sh only starts its server and Xvfb.
  touch "$root/.wine-booted"
  # "locked target": a download folder the user may not write to (locked by its step).
  mkdir -p "$root/local" "$root/shots" "$root/locked target"
  # The servers live in a detached with-peers.sh, so that no ctest pipe waits on them.
  # pyftpdlib sends the files of "restart" at 2 MiB/s at most: slow enough for
  # a step to act in the middle of one (a driver call can take seconds under load).
  E2E_ROOT=$root ZARN_PYFTPD_SEND_LIMIT=2097152 ZARN_PYFTPD_SEND_LIMIT_DIR=restart setsid "$top/tests/peers/with-peers.sh" --pyftpd --vsftpd -- "$0" serve \
    </dev/null >"$root/peers.out" 2>&1 &
  echo $! >"$root/peers.pid"
  # Wine's side is made ready while the servers start.
  wine_env
  "$top/scripts/wine-env.sh" up >/dev/null 2>&1 </dev/null
  wine_env
  # What an installer would leave: where downloads and the queue file go; what
  # an earlier run left of the program's own settings goes first. One import:
  # each Wine process costs seconds on a loaded machine.
  local key='HKEY_CURRENT_USER\SOFTWARE\ZARN'
  { printf 'REGEDIT4\r\n\r\n[-%s]\r\n\r\n[%s\\SETUP]\r\n' "$key" "$key"
    printf '"%s"="%s"\r\n' DOWNLOADPATH "$(regpath "$root/local")" PLANFILE "$(regpath "$root/queue.pln")" \
      SITEFILE "$(regpath "$root/zarnsite.ini")"
  } >"$root/setup.reg"
  setsid /usr/lib/wine/wine64 reg import "$(winpath "$root/setup.reg")" </dev/null >/dev/null 2>&1 ||
    fail "the settings could not be imported"
  until_ok 300 test -s "$root/peers.env" || { cat "$root/peers.out" >&2; fail "the servers did not start"; }
  # shellcheck disable=SC1091
  . "$root/peers.env"
  make_files
  launch
  echo "e2e: started"
}

launch() {
  wine_env
  # Redirected as a whole: nothing left behind may hold the caller's pipes.
  (cd "$bin" && ZARN_TIMEOUT=3600 exec setsid "$top/scripts/wine-run.sh" ./zarn.exe) </dev/null >>"$root/zarn.out" 2>&1 &
  echo $! >"$root/zarn.pid"
  drv_start || fail "the driver could not be started"
  drv wait main 60000 >/dev/null || fail "the main window did not come"
  # The tip of the day may greet the user (a box of the start, before the
  # program reads its messages): closed as the user closes it.
  drv settled main 30000 || fail "the main window does not answer"
  drv wait "top:Tip" 500 >/dev/null 2>&1 && drv close "top:Tip"
  return 0
}

zarn_alive() { [ -f "$root/zarn.pid" ] && kill -0 "$(cat "$root/zarn.pid")" 2>/dev/null; }

stop_quietly() {
  [ -d "$root" ] || return 0
  if zarn_alive; then
    wine_env; drv command 57665 >/dev/null 2>&1
    until_ok 150 sh -c "! kill -0 $(cat "$root/zarn.pid") 2>/dev/null"
    zarn_alive && kill -- -"$(cat "$root/zarn.pid")" 2>/dev/null
  fi
  # The driver and the servers end beside each other.
  drv_stop nowait
  touch "$root/stop"
  [ -f "$root/peers.pid" ] && until_ok 100 sh -c "! kill -0 $(cat "$root/peers.pid") 2>/dev/null"
  ZARN_BUILD_ROOT=$root "$top/scripts/wine-env.sh" down >/dev/null 2>&1
  drv_gone
  return 0
}

stop() {
  [ -f "$root/zarn.pid" ] || fail "nothing was started"
  wine_env
  shot 99-before-exit
  drv command 57665 >/dev/null || { stop_quietly; fail "no main window to exit"; }
  until_ok 300 sh -c "! kill -0 $(cat "$root/zarn.pid") 2>/dev/null" || { stop_quietly; fail "zarn did not end"; }
  # A pyftpdlib started again by a step is no child of the servers' script:
  # its pid (in the servers' pid file) is read before that folder goes.
  local py=""
  # shellcheck disable=SC1091
  [ -f "$root/peers.env" ] && . "$root/peers.env" && py=$(cat "$ZARN_PYFTPD_PIDFILE" 2>/dev/null)
  stop_quietly
  [ -f "$root/peers.pid" ] && kill -0 "$(cat "$root/peers.pid")" 2>/dev/null && fail "the servers did not end"
  [ -s "$root/drv.ended" ] && kill -0 "$(cat "$root/drv.ended")" 2>/dev/null && fail "the driver did not end"
  [ -n "$py" ] && ! until_ok 50 sh -c "! kill -0 $py 2>/dev/null" && fail "pyftpdlib (pid $py) did not end"
  echo "e2e: stopped"
}

# shellcheck disable=SC1091
load() { . "$root/peers.env" || fail "not started"; wine_env; zarn_alive || fail "zarn is not running"; }

. "$top/tests/e2e/steps.sh"

case "${1:-}" in
  serve) serve ;;
  start) start ;;
  stop) stop ;;
  step) load; "step_${2:?step name}" && echo "e2e: step $2 passed" ;;
  *) echo "usage: e2e.sh start|step NAME|stop" >&2; exit 2 ;;
esac
