#!/usr/bin/env bash
# demo.sh: zarn.exe beside a loopback FTP server under wine64, in a root of its
# own (${ZARN_DEMO_ROOT:-$ZARN_BUILD_ROOT/demo}: prefix, Xvfb, server files).
# The demo site connects and lists by itself; the local tree follows its folder.
# ZARN_DEMO_SMOKE=1: once the listing was served, first-view.png, Exit, and the
# script checks that everything it started has gone.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARN_BUILD_ROOT:-$top/build}
bin=${ZARN_DEMO_BIN:-$build/win64/bin}
root=${ZARN_DEMO_ROOT:-$build/demo}
smoke=${ZARN_DEMO_SMOKE:-0}
mkdir -p "$root"
root=$(cd "$root" && pwd)

# First run: the server's files and the local folder.
if [ ! -d "$root/ftp/anon" ]; then
  mkdir -p "$root/ftp/anon/folder" "$root/local"
  printf 'Welcome to the zarn demo server.\r\nEverything here is writable.\r\n' >"$root/ftp/anon/readme.txt"
  printf 'a file in a folder\r\n' >"$root/ftp/anon/folder/inside.txt"
  head -c 5242880 /dev/zero >"$root/ftp/anon/five-mib.bin"
fi

ftpd_pid=
zarn_pid=
cleanup() {
  [ -n "$zarn_pid" ] && kill "$zarn_pid" 2>/dev/null
  [ -n "$ftpd_pid" ] && kill "$ftpd_pid" 2>/dev/null
  ZARN_BUILD_ROOT=$root "$top/scripts/wine-env.sh" down
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -f "$root/ftpd.port" "$root/ftpd.log"
/usr/bin/python3 "$top/tests/peers/pyftpd.py" --root "$root/ftp" --port-file "$root/ftpd.port" \
  --log "$root/ftpd.log" --lifetime 86400 </dev/null >"$root/ftpd.out" 2>&1 &
ftpd_pid=$!
for _ in $(seq 100); do [ -s "$root/ftpd.port" ] && break; sleep 0.1; done
[ -s "$root/ftpd.port" ] || { echo "demo: the FTP server did not start" >&2; cat "$root/ftpd.out" >&2; exit 1; }
port=$(cat "$root/ftpd.port")

export ZARN_BUILD_ROOT=$root
export WINEPREFIX=$root/wineprefix
# The program's GBK texts read as Chinese with code page 936 (needs the locale).
if locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then export LANG=zh_CN.UTF-8; fi
"$top/scripts/wine-env.sh" up
[ -z "${DISPLAY:-}" ] && [ -f "$root/xvfb.display" ] && export DISPLAY=:$(cat "$root/xvfb.display")

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
site='HKCU\SOFTWARE\ZARN\ZARNSITE\Demo FTP (loopback)'
setup='HKCU\SOFTWARE\ZARN\SETUP'
reg() { setsid /usr/lib/wine/wine64 reg add "$@" /f </dev/null >/dev/null 2>&1; }
reg "$site" /v Alias /d "Demo FTP (loopback)"
reg "$site" /v Address /d 127.0.0.1
reg "$site" /v Port /t REG_DWORD /d "$port"
reg "$site" /v Config /d "0,0,200,0,0,0,0,0,0,0121200100"
reg "$site" /v User /d anonymous
reg "$site" /v ConnDir /d "$(winpath "$root/local")"
reg "$site" /v RemoteDir /d /
reg "$setup" /v DOWNLOADPATH /d "$(winpath "$root/local")"
reg "$setup" /v PLANFILE /d "$(winpath "$root/queue.pln")"

cd "$bin"
ZARN_TIMEOUT=86400 "$top/scripts/wine-run.sh" ./zarn.exe >"$root/zarn.out" 2>&1 &
zarn_pid=$!
"$top/scripts/wine-run.sh" ./demo_driver.exe select || { echo "demo: zarn's window did not come" >&2; exit 1; }

cat <<EOT
demo: zarn.exe runs on display $DISPLAY beside the FTP server on 127.0.0.1:$port ($root/ftp/anon).
  look:  DISPLAY=$DISPLAY import -window root shot.png
  click: DISPLAY=$DISPLAY xdotool mousemove X Y click 1
  Ctrl+C ends the demo.
EOT

if [ "$smoke" != 1 ]; then
  wait "$zarn_pid"
  exit 0
fi

for _ in $(seq 600); do grep -q 'LIST' "$root/ftpd.log" 2>/dev/null && break; sleep 0.1; done
grep -q 'LIST' "$root/ftpd.log" || { echo "demo: no listing was served" >&2; exit 1; }
sleep 1  # the listing reaches the tree
import -window root "$root/first-view.png"
"$top/scripts/wine-run.sh" ./demo_driver.exe exit
# Exit with the site's keeper logged in: the program ends within 5 s.
exit_start=$(date +%s%N)
for _ in $(seq 300); do kill -0 "$zarn_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$zarn_pid" 2>/dev/null; then echo "demo: zarn did not end" >&2; exit 1; fi
exit_ms=$(( ($(date +%s%N) - exit_start) / 1000000 ))
echo "demo: zarn ended ${exit_ms} ms after Exit"
[ "$exit_ms" -le 5000 ] || { echo "demo: zarn took over 5 s to end with a keeper logged in" >&2; exit 1; }
zarn_pid=
kill "$ftpd_pid" 2>/dev/null; wait "$ftpd_pid" 2>/dev/null; ftpd_pid=
ZARN_BUILD_ROOT=$root "$top/scripts/wine-env.sh" down
trap - EXIT
grep -qi 'USER anonymous' "$root/ftpd.log" || { echo "demo: no anonymous login in the server log" >&2; exit 1; }
echo "demo: smoke passed"
