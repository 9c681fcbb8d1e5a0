#!/usr/bin/env bash
# smallfile_vs_probe.sh [small] [big] [workers]: the queue's downloads against
# a plain Winsock client under the same Wine and against lftp's mirror, in one
# run on the loopback vsftpd server (the fixture of tests/peers/with-peers.sh).
#
# The server's root gets a folder of <small> files of 4 KiB (1000 by default)
# and a folder of <big> files of 20 MiB (20 by default). Each folder is fetched
# by three clients with <workers> parallel transfers (5 by default):
#   queue  bench's queue_driver.exe: one work site, the queue's workers, timed
#          from Start Queue to the end of the last worker;
#   probe  bench's smallfile_probe.exe: blocking Winsock threads, one control
#          connection each, PASV + RETR + CreateFile/WriteFile/CloseHandle per
#          file, no engine code (the ceiling the platform allows);
#   lftp   mirror --parallel (native, not under Wine).
# Every copy is checked against the server's with diff. Then, untimed, queue and
# probe fetch each folder again under a Wine server that traces its requests
# (`wineserver -f -d1 -p`, in a prefix of the bench's own under xvfb-run): the
# requests of the folder's run less those of a run over a folder of one file,
# divided by the files less one.
#
# Prints files/s, MiB/s and requests a file of each, then the time ratios
# queue/probe, probe/lftp and queue/lftp of each folder.
#
# Needs root (vsftpd runs as the real daemon) and the win64 build:
# ZARN_BUILD_ROOT (default build/) holds win64/bin/queue_driver.exe and
# smallfile_probe.exe.
#
# Latest figures: see the README's Benchmarks.
set -eu
. "$(dirname "$0")/common.sh"
driver=$root/win64/bin/queue_driver.exe
probe=$root/win64/bin/smallfile_probe.exe
if [ "${1:-}" != --inside ]; then
  need_driver smallfile_vs_probe "$driver"
  need_driver smallfile_vs_probe "$probe"
  need_tools smallfile_vs_probe xvfb-run diff bc
  command -v lftp >/dev/null || apt-get install -y lftp >/dev/null ||
    { echo "smallfile_vs_probe: lftp is missing and could not be installed" >&2; exit 1; }
  run_inside vsftpd "$@"
fi
shift
small=${1:-1000}
big=${2:-20}
workers=${3:-5}
peer_server VSFTPD
mkdir -p "$work/queue" "$work/probe" "$work/lftp" "$served/small" "$served/big"
chmod 755 "$served/small" "$served/big"

echo "smallfile_vs_probe: filling the server: $small x 4 KiB, $big x 20 MiB"
for i in $(seq "$small"); do head -c 4096 /dev/urandom >"$served/small/s$i.bin"; done
for i in $(seq "$big"); do head -c $((20 * 1024 * 1024)) /dev/urandom >"$served/big/b$i.bin"; done
chmod 644 "$served"/small/* "$served"/big/*

# same SET COPY: stops unless every file of the set arrived unchanged in COPY.
# One diff for the folder: a cmp per file forks a thousand times on a busy machine.
same() {
  diff -rq "$served/$1" "$2" >&2 || { echo "smallfile_vs_probe: $2 differs from the server's $1" >&2; exit 1; }
}

results=$work/results.txt
: >"$results"
for set in small big; do
  echo "smallfile_vs_probe: $set through the queue (wine64)"
  ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" \
    "$(winpath "$work/queue")" "$workers" >"$work/queue-$set.txt" || { cat "$work/queue-$set.txt"; exit 1; }
  same "$set" "$work/queue/$set"
  read -r _ files secs bytes <"$work/queue-$set.txt"
  echo "$set queue $files $secs $bytes" >>"$results"

  echo "smallfile_vs_probe: $set through the probe (wine64)"
  ZARN_TIMEOUT=1800 "$top/scripts/wine-run.sh" "$probe" "$host" "$port" "$user" "$pass" "$served/$set" \
    "$(winpath "$work/probe/$set")" "$workers" >"$work/probe-$set.txt" || { cat "$work/probe-$set.txt"; exit 1; }
  same "$set" "$work/probe/$set"
  read -r _ files secs bytes <"$work/probe-$set.txt"
  echo "$set probe $files $secs $bytes" >>"$results"

  echo "smallfile_vs_probe: $set through lftp"
  start=$(date +%s.%N)
  lftp -u "$user,$pass" -p "$port" \
    -e "set net:max-retries 1; mirror --parallel=$workers $served/$set $work/lftp/$set; quit" "$host" >/dev/null
  end=$(date +%s.%N)
  same "$set" "$work/lftp/$set"
  bytes=$(du -cb "$served/$set"/* | tail -1 | cut -f1)
  files=$(ls "$served/$set" | wc -l)
  echo "$set lftp $files $(echo "$end - $start" | bc) $bytes" >>"$results"
done
load=$(cut -d' ' -f1-3 /proc/loadavg)

echo "smallfile_vs_probe: the traced pass (wine64, untimed)"
mkdir -p "$served/one"
chmod 755 "$served/one"
head -c 4096 /dev/urandom >"$served/one/o1.bin"
chmod 644 "$served/one/o1.bin"
rm -rf "$work/traced"
mkdir -p "$work/traced/queue" "$work/traced/probe"
export WINEPREFIX=$root/wineprefix-queuebench WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  xvfb-run -a /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.booted"
fi
xvfb-run -a bash -s "$driver" "$probe" "$host" "$port" "$user" "$pass" "$served" "$work" "$workers" \
  >"$work/traced-counts.txt" 2> >(grep -v '^X connection to .* broken' >&2) <<'TRACED'
set -eu
driver=$1 probe=$2 host=$3 port=$4 user=$5 pass=$6 served=$7 work=$8 workers=$9
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -f -d1 -p 2>"$work/trace.txt" </dev/null >/dev/null &
traced=$!
requests() { grep -cE '^[0-9a-f]+: [a-z_0-9]+\( ' "$work/trace.txt" || true; }
# The first run of each client warms the prefix; the second over one file is the base.
for set in one one small big; do
  before=$(requests)
  /usr/lib/wine/wine64 "$driver" "$host" "$port" "$user" "$pass" "$served" "$set" "$(winpath "$work/traced/queue")" \
    "$workers" >"$work/traced-run.txt"
  after=$(requests)
  echo "$set queue $((after - before))"
done
for set in one one small big; do
  before=$(requests)
  /usr/lib/wine/wine64 "$probe" "$host" "$port" "$user" "$pass" "$served/$set" \
    "$(winpath "$work/traced/probe/$set")" "$workers" >"$work/traced-run.txt"
  after=$(requests)
  echo "$set probe $((after - before))"
done
/usr/lib/wine/wineserver -k
wait $traced || true
TRACED
for set in small big; do
  same "$set" "$work/traced/queue/$set"
  same "$set" "$work/traced/probe/$set"
done
rm -f "$work/trace.txt"

echo
echo "smallfile_vs_probe: $workers parallel transfers each, the copies checked with diff (load average $load)"
printf '%-6s %-6s %7s %9s %10s %10s %14s\n' set client files seconds files/s MiB/s requests/file
awk 'NR == FNR { if ($1 == "one") one[$2] = $3; else traced[$1 " " $2] = $3; next }
  { k = $1 " " $2
    r = (k in traced) && $3 > 1 ? sprintf("%14.1f", (traced[k] - one[$2]) / ($3 - 1)) : sprintf("%14s", "-")
    printf "%-6s %-6s %7d %9.3f %10.1f %10.2f %s\n", $1, $2, $3, $4, $3 / $4, $5 / 1048576 / $4, r }' \
  "$work/traced-counts.txt" "$results"
for set in small big; do
  awk -v s="$set" '$1 == s { t[$2] = $4 }
    END { printf "%-6s time queue/probe %.2f  probe/lftp %.2f  queue/lftp %.2f\n", s,
          t["queue"] / t["probe"], t["probe"] / t["lftp"], t["queue"] / t["lftp"] }' "$results"
done
